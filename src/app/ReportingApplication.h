#pragma once

#include <QApplication>

namespace kwadrill {

// The application object. Errors that no handler catches end up here, at the
// event-dispatch boundary: they are shown in the standard error report and
// the program goes on with the next event.
class ReportingApplication : public QApplication {
public:
    ReportingApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The standard error report: a box captioned "Kwadrill" with an error icon.
    static void ShowErrorReport(const QString& message);
};

}  // namespace kwadrill
