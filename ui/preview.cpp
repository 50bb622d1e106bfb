#include "ui/preview.h"
#include "formats/describe.h"

#include "formats/gfp.h"
#include "formats/picture.h"
#include "formats/reduce.h"
#include "formats/text.h"
#include "ui/folders.h"
#include "ui/messages.h"

#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QWheelEvent>
#include <QtConcurrent/QtConcurrentRun>
#include <array>
#include <new>
#include <optional>
#include <vector>

namespace varnox::ui {

namespace {

constexpr int kInfoHeight = 30; // two lines of the window font
constexpr int kGap = 2;

QString SizeText(std::int32_t width, std::int32_t height, const QString& description)
{
    return QStringLiteral("%1 × %2, %3").arg(width).arg(height).arg(description);
}

PreviewImage Refused(const QString& reason)
{
    return {QImage(), reason};
}

QString NoMemory()
{
    return Varnox::tr("Nicht genug Arbeitsspeicher für die Vorschau");
}

// The side of the square box that makes a width x height picture fit area, the aspect
// kept, and never above kMaxPreviewSide.
std::int32_t BoxSide(std::int32_t width, std::int32_t height, QSize area)
{
    if (area.isEmpty())
        return kMaxPreviewSide;
    const std::int64_t longer = std::max(width, height);
    const std::int64_t side = std::min(std::int64_t{area.width()} * longer / std::max(1, width),
                                       std::int64_t{area.height()} * longer / std::max(1, height));
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(side, 1, kMaxPreviewSide));
}

// Joins source, once opened, to a reducer of the box's size: each row is averaged into
// the picture as it comes, which is never held at full size.
PreviewImage LoadRows(const Result<std::unique_ptr<RowSource>>& opened, const std::atomic<bool>& cancel,
                      QSize area)
{
    if (cancel)
        return {};
    if (!opened)
        return Refused(ToQString(Describe(opened.error())));
    RowSource& source = **opened;
    const PictureInfo& info = source.Info();
    QImage image;
    if (info.width > 0 && info.height > 0) {
        BoxReducer reducer(BoxSide(info.width, info.height, area));
        const Status status = CopyRows(source, reducer, [&](std::int32_t) { return !cancel; });
        if (cancel)
            return {};
        if (!status)
            return Refused(status.error().code == ErrorCode{IoError::OutOfMemory}
                               ? NoMemory()
                               : ToQString(Describe(status.error())));
        image = QImage(reducer.Width(), reducer.Height(), QImage::Format_RGB888);
        if (image.isNull())
            return Refused(NoMemory());
        const auto rowBytes = static_cast<std::size_t>(reducer.Width()) * 3;
        for (std::int32_t y = 0; y < reducer.Height(); ++y)
            std::copy_n(reducer.Row(y).data(), rowBytes, image.scanLine(y));
    }
    return {image, SizeText(info.width, info.height, QString::fromStdString(info.description)),
            QSize(info.width, info.height)};
}

} // namespace

PreviewImage LoadPreview(const QString& path, const std::atomic<bool>& cancel, QSize area)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    try {
        if (suffix == QStringLiteral("gfp") || suffix == QStringLiteral("tga") ||
            suffix == QStringLiteral("png"))
            return LoadRows(OpenPictureSource(ToPath(path)), cancel, area);
        return Refused(Varnox::tr("Unbekanntes Bildformat"));
    } catch (const std::bad_alloc&) {
        return Refused(NoMemory());
    } catch (const std::exception& error) {
        return Refused(QString::fromStdString(Translate(error.what())));
    }
}

PreviewImage LoadPreview(const Bytes& gfp, const std::atomic<bool>& cancel, QSize area)
{
    try {
        return LoadRows(OpenGfpSource(gfp), cancel, area);
    } catch (const std::bad_alloc&) {
        return Refused(NoMemory());
    }
}

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent), info_(new QLabel(this))
{
    info_->setObjectName(QStringLiteral("lblpreview"));
    info_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    info_->setWordWrap(true);
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    connect(&watcher_, &QFutureWatcher<PreviewImage>::finished, this, &PreviewBox::Decoded);
    zoomButton_ = new QToolButton(this);
    zoomButton_->setObjectName(QStringLiteral("btnzoom"));
    zoomButton_->setText(QStringLiteral("1:1"));
    zoomButton_->setCheckable(true);
    zoomButton_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    zoomButton_->setAccessibleName(Varnox::tr("Originalgröße"));
    zoomButton_->setToolTip(Varnox::tr("Zeigt das Bild Pixel für Pixel oder eingepasst (Strg+1)"));
    connect(zoomButton_, &QToolButton::toggled, this,
            [this](bool on) { setZoom(on ? PreviewZoom::Actual : PreviewZoom::Fit); });
    zoomLabel_ = new QLabel(this);
    zoomLabel_->setObjectName(QStringLiteral("lblzoom"));
    zoomLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    zoomLabel_->setAccessibleName(Varnox::tr("Zoom"));
    zoomLabel_->hide();
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        bars_[i] = new QScrollBar(i == 0 ? Qt::Horizontal : Qt::Vertical, this);
        bars_[i]->hide();
        connect(bars_[i], &QScrollBar::valueChanged, this, qOverload<>(&QWidget::update));
    }
}

void PreviewBox::setZoom(PreviewZoom zoom)
{
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    const QSignalBlocker blocker(zoomButton_);
    zoomButton_->setChecked(zoom == PreviewZoom::Actual);
    scaled_ = QPixmap();
    // Pixel for pixel needs the picture as it is; fitted, reduced to the area.
    if ((!path_.isEmpty() || gfp_) && !display_.isNull())
        Decode();
    PlaceBars();
    ShowInfo();
    update();
}

// The size the picture is drawn at.
QSize PreviewBox::DrawnSize() const
{
    if (display_.isNull())
        return {};
    if (zoom_ == PreviewZoom::Actual)
        return display_.size();
    return display_.size().scaled(PictureArea().size(), Qt::KeepAspectRatio);
}

QString PreviewBox::ZoomText() const
{
    const QSize drawn = DrawnSize();
    if (drawn.isEmpty() || size_.isEmpty())
        return {};
    return QStringLiteral("%1 %").arg(qRound(100.0 * drawn.width() / size_.width()));
}

void PreviewBox::ShowInfo()
{
    info_->setText(loadedInfo_);
    zoomLabel_->setText(ZoomText());
    zoomLabel_->setVisible(!zoomLabel_->text().isEmpty());
}

// Scroll bars along the area's right and bottom edges while a picture shown 1:1 exceeds it.
void PreviewBox::PlaceBars()
{
    const QRect area = PictureArea();
    const QSize drawn = zoom_ == PreviewZoom::Actual ? DrawnSize() : QSize();
    const int thickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const std::array<int, 2> over{drawn.width() - area.width(), drawn.height() - area.height()};
    bars_[0]->setGeometry(area.left(), area.bottom() - thickness + 1, area.width() - thickness, thickness);
    bars_[1]->setGeometry(area.right() - thickness + 1, area.top(), thickness, area.height() - thickness);
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        bars_[i]->setRange(0, std::max(0, over[i] + thickness));
        bars_[i]->setPageStep(i == 0 ? area.width() : area.height());
        bars_[i]->setVisible(over[i] > 0);
    }
    zoomButton_->setGeometry(area.right() - 28, area.top(), 28, 20);
    zoomButton_->raise();
    zoomLabel_->setGeometry(area.right() - 28 - 50, area.top(), 48, 20);
    zoomLabel_->raise();
}

void PreviewBox::wheelEvent(QWheelEvent* event)
{
    if (bars_[1]->isVisible())
        QCoreApplication::sendEvent(bars_[1], event);
    else
        QWidget::wheelEvent(event);
}

PreviewBox::~PreviewBox()
{
    *cancel_ = true;
    watcher_.waitForFinished();
}

QString PreviewBox::Info() const
{
    return info_->text();
}

void PreviewBox::Show(const QString& path)
{
    const QFileInfo file(path);
    const QString stamp =
        QStringLiteral("%1 %2").arg(file.size()).arg(file.lastModified().toMSecsSinceEpoch());
    if (path == path_ && stamp == stamp_)
        return;
    path_ = path;
    stamp_ = stamp;
    gfp_.reset();
    Loading();
}

void PreviewBox::ShowGfp(Bytes gfp)
{
    path_.clear();
    stamp_.clear();
    gfp_ = std::make_shared<const Bytes>(std::move(gfp));
    Loading();
}

// "Lade …" until the picture given last is decoded.
void PreviewBox::Loading()
{
    // The old picture goes at once, so that it is never taken for the new one.
    display_ = QImage();
    scaled_ = QPixmap();
    loadedInfo_ = Varnox::tr("Lade …");
    size_ = QSize();
    ShowInfo();
    PlaceBars();
    update();
    Decode();
}

// Decodes path_ reduced to the picture area as it is now.
void PreviewBox::Decode()
{
    *cancel_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    area_ = zoom_ == PreviewZoom::Actual ? QSize(kMaxPreviewSide, kMaxPreviewSide) : PictureArea().size();
    watcher_.setFuture(QtConcurrent::run([path = path_, gfp = gfp_, cancel = cancel_, area = area_] {
        return gfp ? LoadPreview(*gfp, *cancel, area) : LoadPreview(path, *cancel, area);
    }));
}

void PreviewBox::Clear()
{
    *cancel_ = true;
    path_.clear();
    stamp_.clear();
    gfp_.reset();
    display_ = QImage();
    scaled_ = QPixmap();
    loadedInfo_.clear();
    size_ = QSize();
    info_->clear();
    PlaceBars();
    update();
}

void PreviewBox::ShowText(const QString& text)
{
    Clear();
    loadedInfo_ = text;
    info_->setText(text);
}

void PreviewBox::Decoded()
{
    if (*cancel_ || watcher_.future().resultCount() == 0)
        return;
    PreviewImage loaded = watcher_.result();
    display_ = std::move(loaded.image);
    scaled_ = QPixmap();
    loadedInfo_ = loaded.info;
    size_ = loaded.size;
    PlaceBars();
    ShowInfo();
    update();
    emit Shown();
}

QRect PreviewBox::PictureRect() const
{
    return {0, 0, width(), std::max(0, height() - kInfoHeight - kGap)};
}

QRect PreviewBox::PictureArea() const
{
    return PictureRect().adjusted(2, 2, -2, -2);
}

void PreviewBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    info_->setGeometry(0, height() - kInfoHeight, width(), kInfoHeight);
    scaled_ = QPixmap();
    PlaceBars();
    // A picture reduced for the old area is reduced again for the new one; until then Qt
    // scales the one shown.
    if (zoom_ == PreviewZoom::Fit && (!path_.isEmpty() || gfp_) && area_ != PictureArea().size() &&
        (IsLoading() || !display_.isNull()))
        Decode();
    ShowInfo();
}

void PreviewBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = PictureRect();
    frame.frameShape = QFrame::StyledPanel;
    frame.state |= QStyle::State_Sunken;
    frame.lineWidth = 1;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
    if (display_.isNull())
        return;
    const QRect area = PictureArea();
    if (zoom_ == PreviewZoom::Actual) {
        // Pixel for pixel: centred when smaller than the area, else scrolled.
        painter.setClipRect(area);
        const int x = display_.width() <= area.width() ? area.x() + (area.width() - display_.width()) / 2
                                                       : area.x() - bars_[0]->value();
        const int y = display_.height() <= area.height() ? area.y() + (area.height() - display_.height()) / 2
                                                         : area.y() - bars_[1]->value();
        painter.drawImage(QPoint(x, y), display_);
        return;
    }
    // The picture comes reduced to the area; a smaller one is enlarged pixel for pixel, so
    // that small pictures stay sharp.
    const QSize fit = display_.size().scaled(area.size(), Qt::KeepAspectRatio);
    if (scaled_.isNull() && fit == display_.size()) {
        scaled_ = QPixmap::fromImage(display_);
    } else if (scaled_.size() != fit && !fit.isEmpty()) {
        const bool reduce = fit.width() < display_.width();
        scaled_ = QPixmap::fromImage(display_.scaled(
            fit, Qt::IgnoreAspectRatio, reduce ? Qt::SmoothTransformation : Qt::FastTransformation));
    }
    const QPoint at(area.x() + (area.width() - scaled_.width()) / 2,
                    area.y() + (area.height() - scaled_.height()) / 2);
    painter.drawPixmap(at, scaled_);
}

} // namespace varnox::ui
