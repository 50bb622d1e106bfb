#include "ui/preview.h"

#include "formats/picture.h"
#include "ui/folders.h"

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

// Builds the picture row by row, averaging each n x n block of pixels into one when the
// picture is larger than kMaxPreviewSide, so that a large picture is reduced smoothly
// without ever being held at full size.
class Reducer {
  public:
    Reducer(std::int32_t width, std::int32_t height)
        : width_(width), height_(height),
          n_(std::max(1, (std::max(width, height) + kMaxPreviewSide - 1) / kMaxPreviewSide)),
          image_((width + n_ - 1) / n_, (height + n_ - 1) / n_, QImage::Format_RGB888)
    {
        if (n_ > 1)
            sums_.assign(static_cast<std::size_t>(image_.width()) * 3, 0);
    }

    // False when the picture is empty or there was no memory for it.
    bool ok() const { return !image_.isNull(); }
    QImage Take() { return std::move(image_); }

    // Takes row y (top row first) of red, green, blue bytes.
    void Row(std::int32_t y, const std::uint8_t* rgb)
    {
        if (n_ == 1) {
            std::copy_n(rgb, static_cast<std::size_t>(width_) * 3, image_.scanLine(y));
            return;
        }
        std::uint32_t* sum = sums_.data();
        for (std::int32_t x = 0; x < width_; sum += 3)
            for (std::int32_t k = 0; k < n_ && x < width_; ++k, ++x, rgb += 3) {
                sum[0] += rgb[0];
                sum[1] += rgb[1];
                sum[2] += rgb[2];
            }
        if (++rows_ == n_ || y + 1 == height_)
            Flush(y / n_);
    }

  private:
    void Flush(int outRow)
    {
        uchar* out = image_.scanLine(outRow);
        for (int bx = 0; bx < image_.width(); ++bx) {
            const auto columns = static_cast<std::uint32_t>(std::min(n_, width_ - bx * n_));
            const std::uint32_t count = columns * static_cast<std::uint32_t>(rows_);
            for (std::size_t c = 0; c < 3; ++c) {
                std::uint32_t& sum = sums_[static_cast<std::size_t>(bx) * 3 + c];
                out[static_cast<std::size_t>(bx) * 3 + c] = static_cast<uchar>((sum + count / 2) / count);
                sum = 0;
            }
        }
        rows_ = 0;
    }

    std::int32_t width_;
    std::int32_t height_;
    std::int32_t n_;
    QImage image_;
    std::vector<std::uint32_t> sums_; // red, green, blue of each block of the rows taken
    std::int32_t rows_ = 0;
};

PreviewImage Refused(const QString& reason)
{
    return {QImage(), reason};
}

QString NoMemory()
{
    return QStringLiteral("Nicht genug Arbeitsspeicher für die Vorschau");
}

// Joins the file's row source to the picture, widened to red, green and blue.
PreviewImage LoadRows(const QString& path, const std::atomic<bool>& cancel)
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
        Reducer picture(info.width, info.height);
        if (!picture.ok())
            return Refused(NoMemory());
        Bytes row(info.RowBytes());
        Bytes rgb(info.format == RowFormat::Rgb24 ? 0 : static_cast<std::size_t>(info.width) * 3);
        for (std::int32_t y = 0; y < info.height; ++y) {
            if (cancel)
                return {};
            if (auto status = source.ReadRow(row); !status)
                return Refused(ToQString(Describe(status.error())));
            if (info.format == RowFormat::Rgb24) {
                picture.Row(y, row.data());
            } else {
                ConvertRow(info.format, row, RowFormat::Rgb24, rgb.data());
                picture.Row(y, rgb.data());
            }
        }
        image = picture.Take();
    }
    return {image, SizeText(info.width, info.height, QString::fromStdString(info.description))};
}

} // namespace

PreviewImage LoadPreview(const QString& path, const std::atomic<bool>& cancel)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    try {
        if (suffix == QStringLiteral("gfp") || suffix == QStringLiteral("tga") ||
            suffix == QStringLiteral("png"))
            return LoadRows(path, cancel);
        return Refused(QStringLiteral("Unbekanntes Bildformat"));
    } catch (const std::bad_alloc&) {
        return Refused(NoMemory());
    } catch (const std::exception& error) {
        return Refused(QString::fromStdString(error.what()));
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
    *cancel_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    path_ = path;
    stamp_ = stamp;
    // The old picture goes at once, so that it is never taken for the new one.
    display_ = QImage();
    scaled_ = QPixmap();
    info_->setText(QStringLiteral("Lade …"));
    update();
    watcher_.setFuture(QtConcurrent::run([path, cancel = cancel_] { return LoadPreview(path, *cancel); }));
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

void PreviewBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    info_->setGeometry(0, height() - kInfoHeight, width(), kInfoHeight);
    scaled_ = QPixmap();
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
    const QRect area = PictureRect().adjusted(2, 2, -2, -2);
    const QSize fit = display_.size().scaled(area.size(), Qt::KeepAspectRatio);
    if (scaled_.size() != fit && !fit.isEmpty()) {
        // Reduced smoothly; enlarged pixel for pixel, so that small pictures stay sharp.
        const bool reduce = fit.width() < display_.width();
        scaled_ = QPixmap::fromImage(display_.scaled(
            fit, Qt::IgnoreAspectRatio, reduce ? Qt::SmoothTransformation : Qt::FastTransformation));
    }
    const QPoint at(area.x() + (area.width() - scaled_.width()) / 2,
                    area.y() + (area.height() - scaled_.height()) / 2);
    painter.drawPixmap(at, scaled_);
}

} // namespace varnox::ui
