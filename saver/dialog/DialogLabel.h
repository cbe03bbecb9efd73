// A label or image of the settings dialog that reports the mouse as the dialog's handlers take
// it: Click for a left-button press and release on it, MouseDown for the press of any button.
// Its background is transparent, so the panel behind it shows through its text.
#pragma once

#include <QLabel>

namespace quillaro {

class DialogLabel : public QLabel {
    Q_OBJECT
public:
    // name is the control's name in the dialog ("lbl_Cap(1)"), kept as the object name.
    DialogLabel(QWidget* parent, const QString& name);

signals:
    void Click();
    void MouseDown(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool leftPressed_ = false; // a left press on the label waits for its release
};

} // namespace quillaro
