#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace qv4130::characterise {

// Writes the file whole or not at all: a full disk leaves the old file, never half a new one.
inline bool SaveWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace qv4130::characterise
