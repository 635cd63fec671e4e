#include "ScopedEnvironment.h"

#include <QtGlobal>

namespace kwadrill::test {

ScopedEnvironment::ScopedEnvironment(const char* name, const QByteArray& value)
    : name_(name), hadValue_(qEnvironmentVariableIsSet(name)), oldValue_(qgetenv(name)) {
    qputenv(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (hadValue_)
        qputenv(name_, oldValue_);
    else
        qunsetenv(name_);
}

}  // namespace kwadrill::test
