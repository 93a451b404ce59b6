#include "CliFiles.h"

#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

namespace orvane::cli {

bool loadPicture(const QString& path, CDIB& image) {
  QImage picture;
  if (!picture.load(path) || picture.isNull()) return false;
  image.Clone(picture, true);
  return image.DIBPointer() != nullptr && image.Width() == picture.width() &&
         image.Height() == picture.height();
}

bool savePicture(const CDIB& image, const QString& path) {
  const QImage picture = image.ToQImage();
  if (picture.isNull()) return false;
  QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
  if (format.isEmpty()) format = "bmp";
  QImageWriter writer(path, format);
  return writer.write(picture);
}

}  // namespace orvane::cli
