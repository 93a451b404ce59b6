#include "cFileDIB.h"

namespace orvane {

bool cFileDIB::CheckWriteSpace(const QString&, int32_t) { return false; }
bool cFileDIB::MainOpen(const QString&, CDIB&) { return false; }
bool cFileDIB::MainSave(const QString&, CDIB&, int16_t, bool) { return false; }
bool cFileDIB::SaveTIFF(const QString&, CDIB&) { return false; }
bool cFileDIB::GetTIFFWH(const QString&, int32_t&, int32_t&) { return false; }
bool cFileDIB::GetTIFF(const QString&, CDIB&) { return false; }
bool cFileDIB::GetPcxWH(const QString&, int32_t&, int32_t&) { return false; }
bool cFileDIB::PCX2DIB(CDIB&, const QString&) { return false; }
bool cFileDIB::DIB2PCX(CDIB&, const QString&) { return false; }
bool cFileDIB::DIB2JPEG(CDIB&, const QString&, bool, int32_t) { return false; }

}  // namespace orvane
