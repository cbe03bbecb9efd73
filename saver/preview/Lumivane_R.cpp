#include "Lumivane_R.h"

#include "platform/NativePixels.h"
#include "platform/Notices.h"
#include "platform/Twips.h"
#include "platform/XHostWindows.h"

#include <QCloseEvent>
#include <QPainter>
#include <limits>

namespace quillaro {
namespace {

constexpr const char* BackgroundPicture = ":/preview/Lumivane_R.png";
constexpr const char* StillPicture = ":/preview/Img_Prev.png";

} // namespace

std::int16_t PreviewTwips(int pixels) {
    const long long twips = static_cast<long long>(pixels) * TwipsPerPixel;
    if (twips < std::numeric_limits<std::int16_t>::min() ||
        twips > std::numeric_limits<std::int16_t>::max())
        return 0;
    return static_cast<std::int16_t>(twips);
}

Lumivane_R::Lumivane_R(ProgramEnd& end) : end_(end), picture_(BackgroundPicture), imgPrev_(this) {
    // The caption is there before the window is, so the window carries it from the start.
    setWindowTitle(PreviewFormTitle);
    // Inside its host the form has no frame of its own.
    setWindowFlag(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The host keeps the keyboard: a preview is only looked at.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Img_Prev draws its still at its own size from its top-left corner, whatever its size, and
    // lets the form show through beyond it.
    imgPrev_.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imgPrev_.setScaledContents(false);
    winId();
    // Both pictures keep their own size in the server's pixels at any scale factor.
    const double ratio = devicePixelRatioF();
    picture_.setDevicePixelRatio(ratio);
    QPixmap still(StillPicture);
    still.setDevicePixelRatio(ratio);
    imgPrev_.setPixmap(still);
    imgPrev_.setGeometry(0, 0, logicalLength(StillWidth, ratio), logicalLength(StillHeight, ratio));
}

Lumivane_R::~Lumivane_R() = default;

LoadedForm Lumivane_R::load(SaverServices& services, std::int32_t previewHandle) {
    return setUp(services.end, std::make_unique<XHostWindows>(), previewHandle);
}

std::unique_ptr<Lumivane_R> Lumivane_R::setUp(ProgramEnd& end, std::unique_ptr<HostWindows> hosts,
                                              std::int32_t previewHandle) {
    // Window ids are positive; 0 and below name no window.
    if (previewHandle <= 0)
        return nullptr;
    const auto host = static_cast<WindowId>(previewHandle);

    // The host's inside, read once: a host resized later keeps the preview's first size.
    const std::optional<PixelSize> area = hosts->insideSize(host);
    if (!area)
        return nullptr;
    const std::int16_t width = PreviewTwips(area->width);
    const std::int16_t height = PreviewTwips(area->height);

    auto form = std::make_unique<Lumivane_R>(end);
    // Watched before the form moves in, so a host that goes from here on is never missed.
    Lumivane_R* self = form.get();
    if (auto watched = hosts->watchDestruction(host, [self] { self->Form_Unload(); }); !watched) {
        reportFallback("no preview: " + watched.error().message());
        return nullptr;
    }
    // A child before it is ever shown: no window manager sees it, and it never stands alone on
    // the screen. A host that vanished meanwhile leaves nothing to show in.
    if (auto adopted = hosts->adopt(form->winId(), host); !adopted) {
        reportFallback("no preview: " + adopted.error().message());
        return nullptr;
    }

    // The host's inside is in the server's pixels; Qt's geometry is not, at a scale factor.
    const double ratio = form->devicePixelRatioF();
    const int widthPixels = logicalLength(width / TwipsPerPixel, ratio);
    const int heightPixels = logicalLength(height / TwipsPerPixel, ratio);
    form->setGeometry(0, 0, widthPixels, heightPixels);
    form->imgPrev_.setGeometry(0, 0, widthPixels, heightPixels);
    form->show();
    form->hosts_ = std::move(hosts);
    return form;
}

void Lumivane_R::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    // The preview was the program's only window: its end is the program's end.
    end_.endProgram(ExitQuietly);
}

void Lumivane_R::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.drawPixmap(0, 0, picture_);
}

void Lumivane_R::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}

} // namespace quillaro
