#include "StoreError.h"

namespace kwadrill {

StoreError::StoreError(const QString& message, std::optional<WriteFailure> failure)
    : std::runtime_error(message.toStdString()), failure_(std::move(failure)) {}

StoreError StoreError::InvalidDataType(const QString& valueName) {
    return StoreError(QStringLiteral("Invalid data type for '%1'").arg(valueName));
}

StoreError StoreError::FailedToSetData(const QString& valueName, const WriteFailure& failure) {
    return StoreError(QStringLiteral("Failed to set data for '%1'").arg(valueName), failure);
}

QString StandardErrorText(const QString& message) {
    const QChar fullStop(u'.');
    if (!message.isEmpty() && message.back() > fullStop) return message + fullStop;
    return message;
}

}  // namespace kwadrill
