#pragma once
// Paths between Qt and the formats layer, and the check that a folder can be listed.

#include "fileio/fileio.h"
#include "formats/error.h"

#include <QRect>
#include <QString>
#include <stdexcept>

class QWidget;

namespace varnox::ui {

// A folder or drive that cannot be listed; what() is German UTF-8 with the folder and the
// system's reason.
class ListError : public std::runtime_error {
  public:
    explicit ListError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// File names in the system's encoding, both ways.
Path ToPath(const QString& path);
QString ToQString(const Path& path);
QString ToQString(const std::string& utf8);

// The absolute, cleaned form of path ("/" for the root, no trailing separator otherwise).
QString CleanFolder(const QString& path);

// Whether folder is a folder whose entries can be read; the reason when it is not.
Status ListStatus(const QString& folder);
// The text of a failed ListStatus, in the user's language.
QString ListProblemText(const Status& status);
// Throws ListError with ListProblemText unless folder can be listed.
void CheckListable(const QString& folder);

// A control's place from twips (15 twips are one pixel).
constexpr int kTwipsPerPixel = 15;
inline QRect Twips(int left, int top, int width, int height)
{
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel};
}

// A control's place where: a text field or combo box made as tall as its font needs (accents
// over capitals included) when where gives it less; any other control as given.
QRect FieldPlace(const QWidget& control, QRect where);

} // namespace varnox::ui
