#pragma once

#include <QString>

#include <optional>
#include <stdexcept>

#include "WriteFailure.h"

namespace kwadrill {

// A per-user store value that cannot be read or written. The message is the
// text the player sees ("Invalid data type for 'lng'"); nothing catches it
// below the event-dispatch boundary.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message, std::optional<WriteFailure> failure = {});

    QString Message() const { return QString::fromUtf8(what()); }
    // For a value that could not be written: where and why.
    const std::optional<WriteFailure>& Failure() const { return failure_; }

    static StoreError InvalidDataType(const QString& valueName);
    static StoreError FailedToSetData(const QString& valueName, const WriteFailure& failure);

private:
    std::optional<WriteFailure> failure_;
};

// The text of the standard error report (a box captioned "Kwadrill" with an
// error icon): the message with a full stop appended when its last character
// sorts after ".".
QString StandardErrorText(const QString& message);

}  // namespace kwadrill
