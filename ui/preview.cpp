#include "ui/preview.h"

#include "formats/picture.h"
#include "formats/reduce.h"
#include "formats/text.h"
#include "ui/folders.h"
#include "ui/messages.h"

#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
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

// Joins the file's row source to a reducer of the box's size: each row is averaged into
// the picture as it comes, which is never held at full size.
PreviewImage LoadRows(const QString& path, const std::atomic<bool>& cancel, QSize area)
{
    auto opened = OpenPictureSource(ToPath(path));
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
    return {image, SizeText(info.width, info.height, QString::fromStdString(info.description))};
}

} // namespace

PreviewImage LoadPreview(const QString& path, const std::atomic<bool>& cancel, QSize area)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    try {
        if (suffix == QStringLiteral("gfp") || suffix == QStringLiteral("tga") ||
            suffix == QStringLiteral("png"))
            return LoadRows(path, cancel, area);
        return Refused(Varnox::tr("Unbekanntes Bildformat"));
    } catch (const std::bad_alloc&) {
        return Refused(NoMemory());
    } catch (const std::exception& error) {
        return Refused(QString::fromStdString(Translate(error.what())));
    }
}

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent), info_(new QLabel(this))
{
    info_->setObjectName(QStringLiteral("lblpreview"));
    info_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    info_->setWordWrap(true);
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    connect(&watcher_, &QFutureWatcher<PreviewImage>::finished, this, &PreviewBox::Decoded);
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
    // The old picture goes at once, so that it is never taken for the new one.
    display_ = QImage();
    scaled_ = QPixmap();
    info_->setText(Varnox::tr("Lade …"));
    update();
    Decode();
}

// Decodes path_ reduced to the picture area as it is now.
void PreviewBox::Decode()
{
    *cancel_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    area_ = PictureArea().size();
    watcher_.setFuture(QtConcurrent::run(
        [path = path_, cancel = cancel_, area = area_] { return LoadPreview(path, *cancel, area); }));
}

void PreviewBox::Clear()
{
    *cancel_ = true;
    path_.clear();
    stamp_.clear();
    display_ = QImage();
    scaled_ = QPixmap();
    info_->clear();
    update();
}

void PreviewBox::ShowText(const QString& text)
{
    Clear();
    info_->setText(text);
}

void PreviewBox::Decoded()
{
    if (*cancel_ || watcher_.future().resultCount() == 0)
        return;
    PreviewImage loaded = watcher_.result();
    display_ = std::move(loaded.image);
    scaled_ = QPixmap();
    info_->setText(loaded.info);
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
    // A picture reduced for the old area is reduced again for the new one; until then Qt
    // scales the one shown.
    if (!path_.isEmpty() && area_ != PictureArea().size() && (IsLoading() || !display_.isNull()))
        Decode();
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
