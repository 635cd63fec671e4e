#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace kwadrill {

// Turns SIGTERM, SIGINT and SIGHUP (the end of a desktop session, Ctrl+C, a
// closed terminal) into a call on the event loop, through a self-pipe: the
// signal handler itself only writes one byte.
class ShutdownSignals : public QObject {
public:
    explicit ShutdownSignals(std::function<void()> onSignal);
    ~ShutdownSignals() override;

    bool Installed() const { return notifier_ != nullptr; }

private:
    void Drain();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kwadrill
