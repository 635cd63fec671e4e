#pragma once

#include <QByteArray>

namespace kwadrill::test {

// Sets an environment variable for one scope, then restores it (or unsets it
// again when it was not set before).
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool hadValue_;
    QByteArray oldValue_;
};

}  // namespace kwadrill::test
