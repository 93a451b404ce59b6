// Rendering Windows metafiles (WMF, EMF) at their natural size.
#pragma once

#include <QByteArray>
#include <QImage>

#include "FileReport.h"

namespace orvane {

enum class MetafileKind { Wmf, Emf };

// At most this many pixels on the longer side: a larger frame is drawn
// scaled down, its aspect kept.
inline constexpr int kMaxMetafileSide = 8192;

// The metafile drawn on white at its natural size (scaled down to
// kMaxMetafileSide); a null image with report.error set when the data is not a
// metafile of that kind, its frame is empty or inverted, or the picture does
// not fit the pixel budget.
QImage RenderMetafile(const QByteArray& data, MetafileKind kind, const OpenOptions& options,
                      FileReport& report);

}  // namespace orvane
