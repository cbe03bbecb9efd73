#include "PropertyBag.h"

#include <QStringList>
#include <algorithm>

namespace quillaro {

std::vector<std::pair<QString, QVariant>>::const_iterator
PropertyBag::find(const QString& key) const {
    return std::find_if(entries_.begin(), entries_.end(), [&](const auto& entry) {
        return entry.first.compare(key, Qt::CaseInsensitive) == 0;
    });
}

QVariant PropertyBag::read(const QString& key, const QVariant& defaultValue) const {
    const auto found = find(key);
    return found == entries_.end() ? defaultValue : found->second;
}

void PropertyBag::write(const QString& key, const QVariant& value, const QVariant& defaultValue) {
    const auto found = find(key);
    if (value == defaultValue) {
        if (found != entries_.end())
            entries_.erase(found);
        return;
    }
    if (found != entries_.end())
        entries_[static_cast<std::size_t>(found - entries_.begin())].second = value;
    else
        entries_.emplace_back(key, value);
}

bool PropertyBag::contains(const QString& key) const {
    return find(key) != entries_.end();
}

QStringList PropertyBag::keys() const {
    QStringList list;
    for (const auto& entry : entries_)
        list.append(entry.first);
    return list;
}

} // namespace quillaro
