// The preview form: what the saver shows when a settings program asks for a preview inside one
// of its own windows (/p N). The form becomes a child of window N before it is first shown,
// fills N's inside as N measured at the start, and shows a still of the scene from its top-left
// corner, unscaled, over black. It never animates, starts nothing and reads no settings; it
// lives until window N is destroyed, and then ends the program.
#pragma once

#include "platform/HostWindows.h"
#include "platform/ProgramEnd.h"
#include "platform/SaverServices.h"

#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <memory>

namespace quillaro {

// No instance guard looks for this caption, so several previews may live at once.
inline constexpr const char* PreviewFormTitle = "Preview Window";

class Lumivane_R : public QWidget {
public:
    // Both embedded pictures, the form's background and Img_Prev's still, have this size.
    static constexpr int StillWidth = 152;
    static constexpr int StillHeight = 112;

    // Loads the form without showing it: caption, black background, both pictures, Img_Prev at
    // the still's size, and the form's own window.
    explicit Lumivane_R(ProgramEnd& end);
    ~Lumivane_R() override;

    // How Main hands a preview over: the form inside window previewHandle on the X server.
    static LoadedForm load(SaverServices& services, std::int32_t previewHandle);
    // The set-up over the given host services. Null, with nothing ever shown, when the handle
    // names no window that can hold the preview or the form cannot be made its child.
    static std::unique_ptr<Lumivane_R> setUp(ProgramEnd& end, std::unique_ptr<HostWindows> hosts,
                                             std::int32_t previewHandle);

    // Runs once the host has gone (taking the form's window with it): ends the program.
    void Form_Unload();

    const QLabel& Img_Prev() const { return imgPrev_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // A close request from outside ends the preview like the host's end does.
    void closeEvent(QCloseEvent* event) override;

private:
    ProgramEnd& end_;
    std::unique_ptr<HostWindows> hosts_;
    QPixmap picture_; // the form's background picture, drawn from its top-left corner
    QLabel imgPrev_;
    bool unloaded_ = false;
};

// A preview side in twips as the form keeps it, a 16-bit number: 0 when it does not fit.
std::int16_t PreviewTwips(int pixels);

} // namespace quillaro
