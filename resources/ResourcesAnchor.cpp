// The resource library's object files come from the Qt resource compiler;
// this translation unit only gives the library a C++ source of its own.
namespace kwadrill {
extern const int kResourcesAnchor = 0;
}
