#pragma once
// The picture preview of the converter window: a source file decoded off the window thread
// and drawn scaled to fit, with its size and storage on a line below.

#include "formats/bytes.h"

#include <QFutureWatcher>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>
#include <atomic>
#include <memory>

class QLabel;
class QScrollBar;
class QToolButton;

namespace varnox::ui {

struct PreviewImage {
    QImage image; // RGB888; null when the picture cannot be shown
    QString info; // "W × H, description", or the reason the picture cannot be shown
    QSize size;   // the picture's own size; empty when it cannot be shown
};

// How the preview shows a picture: reduced or enlarged to fit its area, or pixel for pixel
// (up to kMaxPreviewSide a side) with scroll bars.
enum class PreviewZoom { Fit, Actual };

// The largest side of a preview picture: enough for a screen.
inline constexpr int kMaxPreviewSide = 2048;

// Decodes the GFP, TGA or PNG picture at path (chosen by its extension) through its row
// source. Stops early, with a null image and no text, once cancel is set. A picture larger
// than area (no larger than kMaxPreviewSide a side; an empty area: that square) comes back
// reduced to fit it, the aspect kept, averaged in one pass as the rows come.
PreviewImage LoadPreview(const QString& path, const std::atomic<bool>& cancel, QSize area = {});
// The same for a GFP held in memory (a picture item of an archive).
PreviewImage LoadPreview(const Bytes& gfp, const std::atomic<bool>& cancel, QSize area = {});

class PreviewBox : public QWidget {
    Q_OBJECT
  public:
    explicit PreviewBox(QWidget* parent = nullptr);
    // Stops the decoding in hand and waits for it.
    ~PreviewBox() override;
    PreviewBox(const PreviewBox&) = delete;
    PreviewBox& operator=(const PreviewBox&) = delete;

    // Shows the picture at path once decoded, "Lade …" until then; a newer call cancels an
    // older one. The file shown already, unchanged on disk, is not decoded again.
    void Show(const QString& path);
    // Shows the GFP picture held in gfp once decoded, "Lade …" until then; a newer call
    // cancels an older one.
    void ShowGfp(Bytes gfp);
    // Shows nothing.
    void Clear();
    // Shows no picture, and text on the line below (what an item without a picture is).
    void ShowText(const QString& text);

    // The file shown or being decoded; empty for none and for a picture from memory.
    QString path() const { return path_; }
    bool IsLoading() const { return watcher_.isRunning(); }
    // The picture shown, as LoadPreview gave it; null when none is shown.
    QImage Picture() const { return display_; }
    // The line under the picture.
    QString Info() const;

    // "1:1" (Ctrl+1) switches between the two; the factor shown is on the line below.
    void setZoom(PreviewZoom zoom);
    PreviewZoom Zoom() const { return zoom_; }
    // The factor of the picture as drawn to the picture's own size: "100 %", "38 %"; shown
    // beside the "1:1" button.
    QString ZoomText() const;
    // cppcheck-suppress CastIntegerToAddressAtReturn
    QScrollBar* HorizontalBar() const { return bars_[0]; }
    // cppcheck-suppress CastIntegerToAddressAtReturn
    QScrollBar* VerticalBar() const { return bars_[1]; }

  signals:
    // The picture (or its reason) for path() is shown.
    void Shown();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    QRect PictureRect() const;
    QRect PictureArea() const; // inside the frame
    void Loading();
    void Decode();
    void Decoded();
    QSize DrawnSize() const;
    void PlaceBars();
    void ShowInfo();

    QLabel* info_ = nullptr;
    QToolButton* zoomButton_ = nullptr;
    QLabel* zoomLabel_ = nullptr;
    std::array<QScrollBar*, 2> bars_{};
    PreviewZoom zoom_ = PreviewZoom::Fit;
    QString loadedInfo_; // the loader's line, before the factor is added
    QSize size_;         // the picture's own size
    QFutureWatcher<PreviewImage> watcher_;
    std::shared_ptr<std::atomic<bool>> cancel_;
    QString path_;
    std::shared_ptr<const Bytes> gfp_; // the picture from memory shown or being decoded
    QString stamp_;                    // size and time of the file shown, to notice a change on disk
    QSize area_;                       // the area the picture shown or being decoded is reduced to
    QImage display_;                   // the picture, as LoadPreview gave it
    QPixmap scaled_;                   // display_ scaled to the picture area, kept until the area changes
};

} // namespace varnox::ui
