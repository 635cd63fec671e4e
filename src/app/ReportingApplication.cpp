#include "ReportingApplication.h"

#include <QMessageBox>

#include <exception>

#include "LanguageTexts.h"
#include "StoreError.h"

namespace kwadrill {

ReportingApplication::ReportingApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ReportingApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorReport(QString::fromUtf8(error.what()));
    }
    return false;
}

void ReportingApplication::ShowErrorReport(const QString& message) {
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), StandardErrorText(message),
                    QMessageBox::Ok, activeWindow());
    box.exec();
}

}  // namespace kwadrill
