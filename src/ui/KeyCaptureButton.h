#pragma once

#include <QPushButton>

#include <functional>

namespace kwadrill {

// A button that shows a key by its name and, once clicked, takes the next
// key pressed as its new key. Escape (or the focus going elsewhere) ends
// the capture and keeps the old key. While it captures, every key comes
// here, Tab, Space and Return too.
class KeyCaptureButton : public QPushButton {
public:
    explicit KeyCaptureButton(QWidget* parent);

    // Asked with each key pressed while capturing: true ends the capture, the
    // asker having set the key it takes; false keeps capturing (the asker
    // says why).
    std::function<bool(int qtKey)> offer;
    // Told when a capture starts and when it ends without a new key.
    std::function<void()> captureStarted;
    std::function<void()> captureCancelled;

    int Key() const { return key_; }
    void SetKey(int qtKey);
    // The text shown while capturing.
    void SetPrompt(const QString& prompt);
    void BeginCapture();
    void CancelCapture();
    bool Capturing() const { return capturing_; }

    // A key's name as the player reads it, in Qt's current language.
    static QString KeyName(int qtKey);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void EndCapture();
    void ShowKey();

    int key_ = 0;
    QString prompt_;
    bool capturing_ = false;
    int swallowRelease_ = 0;  // the key whose release belongs to the capture
};

}  // namespace kwadrill
