// The stored properties of one control instance: what the host keeps with the instance in its
// layout and hands back when it creates the instance again. Keys are matched without regard to
// case; a value equal to its default is not stored, and reading a key that is not there gives the
// default named at the read, so a bag holds only what differs from the defaults.
#pragma once

#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

namespace quillaro {

class PropertyBag {
public:
    // The value stored under key, or defaultValue when there is none.
    QVariant read(const QString& key, const QVariant& defaultValue) const;
    // Stores value under key, or removes the key when value equals defaultValue. A key already
    // there keeps its place and its spelling.
    void write(const QString& key, const QVariant& value, const QVariant& defaultValue);

    bool contains(const QString& key) const;
    // The stored keys in the order they were first written.
    QStringList keys() const;

private:
    std::vector<std::pair<QString, QVariant>>::const_iterator find(const QString& key) const;

    std::vector<std::pair<QString, QVariant>> entries_;
};

} // namespace quillaro
