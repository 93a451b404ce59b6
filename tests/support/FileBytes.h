// Whole files as bytes, for tests that craft or inspect files.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testing_support {

// The file's bytes; empty when it cannot be read.
inline QByteArray readFile(const QString& name) {
  QFile f(name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFile(const QString& name, const QByteArray& bytes) {
  QFile f(name);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace testing_support
