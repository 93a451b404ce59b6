// Rendering Windows metafiles (WMF, EMF) at their natural size.
#pragma once

#include <QByteArray>
#include <QImage>

namespace orvane {

enum class MetafileKind { Wmf, Emf };

// The metafile drawn on white at its natural size; a null image when the data
// is not a metafile of that kind, draws nothing measurable, or its picture
// would exceed maxBytes as a 32-bit image.
QImage RenderMetafile(const QByteArray& data, MetafileKind kind, qint64 maxBytes);

}  // namespace orvane
