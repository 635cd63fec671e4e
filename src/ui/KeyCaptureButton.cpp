#include "KeyCaptureButton.h"

#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>

namespace kwadrill {

KeyCaptureButton::KeyCaptureButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { BeginCapture(); });
}

QString KeyCaptureButton::KeyName(int qtKey) {
    return QKeySequence(qtKey).toString(QKeySequence::NativeText);
}

void KeyCaptureButton::SetKey(int qtKey) {
    key_ = qtKey;
    if (!capturing_) ShowKey();
}

void KeyCaptureButton::SetPrompt(const QString& prompt) {
    prompt_ = prompt;
    if (capturing_) setText(prompt_);
}

void KeyCaptureButton::BeginCapture() {
    if (capturing_) return;
    capturing_ = true;
    setDown(true);
    setText(prompt_);
    setFocus(Qt::OtherFocusReason);
    if (captureStarted) captureStarted();
}

void KeyCaptureButton::CancelCapture() {
    if (!capturing_) return;
    EndCapture();
    if (captureCancelled) captureCancelled();
}

void KeyCaptureButton::EndCapture() {
    capturing_ = false;
    setDown(false);
    ShowKey();
}

void KeyCaptureButton::ShowKey() {
    setText(KeyName(key_));
}

// Tab would move the focus and a shortcut could take its key before the
// button sees it: while capturing, both come here as plain keys.
bool KeyCaptureButton::event(QEvent* event) {
    if (capturing_ && event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (capturing_ && event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return QPushButton::event(event);
}

void KeyCaptureButton::keyPressEvent(QKeyEvent* event) {
    if (!capturing_) {
        QPushButton::keyPressEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat()) return;
    swallowRelease_ = event->key();
    if (event->key() == Qt::Key_Escape) {
        CancelCapture();
        return;
    }
    if (offer && offer(event->key())) EndCapture();
}

// The release of the key that ended a capture is not the button's: Space
// would click it and start the next capture.
void KeyCaptureButton::keyReleaseEvent(QKeyEvent* event) {
    if (capturing_ || (swallowRelease_ != 0 && event->key() == swallowRelease_)) {
        if (!event->isAutoRepeat()) swallowRelease_ = 0;
        event->accept();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}

void KeyCaptureButton::focusOutEvent(QFocusEvent* event) {
    CancelCapture();
    QPushButton::focusOutEvent(event);
}

// Qt's key names follow its translation.
void KeyCaptureButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange && !capturing_) ShowKey();
    QPushButton::changeEvent(event);
}

}  // namespace kwadrill
