#include "registry_store.h"

#include "base/atomic_file.h"
#include "base/data_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QLockFile>

#include <algorithm>

namespace kova {

namespace {

const QString kLocalMachine = QStringLiteral("HKEY_LOCAL_MACHINE");
const QString kClassesView = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Classes");

struct Value {
    QString name; // empty = unnamed
    QString data;
};

struct Section {
    QString key;
    QList<Value> values;
};

using Document = QList<Section>;

QString fold(const QString& text) {
    return text.toCaseFolded();
}

QString escaped(const QString& text) {
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case 0:
            out += QStringLiteral("\\0");
            break;
        default:
            out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

// Reads a quoted string starting at line[*pos] == '"'; moves *pos past it.
std::optional<QString> readQuoted(const QString& line, qsizetype* pos) {
    if (*pos >= line.size() || line[*pos] != QLatin1Char('"'))
        return std::nullopt;
    QString out;
    for (qsizetype i = *pos + 1; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('"')) {
            *pos = i + 1;
            return out;
        }
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i >= line.size())
            return std::nullopt;
        switch (line[i].unicode()) {
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '0':
            out += QChar(0);
            break;
        default:
            out += line[i];
        }
    }
    return std::nullopt;
}

// Malformed lines are skipped: a damaged line must not cost the rest.
Document parse(const QByteArray& bytes) {
    Document doc;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype end = line.lastIndexOf(QLatin1Char(']'));
            if (end > 1)
                doc.append({line.mid(1, end - 1), {}});
            continue;
        }
        if (doc.isEmpty())
            continue;
        qsizetype pos = 0;
        QString name;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else {
            const auto quoted = readQuoted(line, &pos);
            if (!quoted || quoted->isEmpty())
                continue;
            name = *quoted;
        }
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            continue;
        ++pos;
        const auto data = readQuoted(line, &pos);
        if (data)
            doc.last().values.append({name, *data});
    }
    return doc;
}

QByteArray serialize(const Document& doc) {
    QString out = QStringLiteral("; KovaShell registry store\n");
    for (const Section& s : doc) {
        out += QStringLiteral("\n[") + s.key + QStringLiteral("]\n");
        for (const Value& v : s.values) {
            out += v.name.isEmpty() ? QStringLiteral("@") : escaped(v.name);
            out += QLatin1Char('=') + escaped(v.data) + QLatin1Char('\n');
        }
    }
    return out.toUtf8();
}

bool readDocument(const QString& path, Document* doc) {
    if (!QFileInfo::exists(path)) {
        doc->clear();
        return true;
    }
    QByteArray bytes;
    if (!readWholeFile(path, &bytes))
        return false;
    *doc = parse(bytes);
    return true;
}

Section* findSection(Document& doc, const QString& key) {
    const QString folded = fold(key);
    for (Section& s : doc)
        if (fold(s.key) == folded)
            return &s;
    return nullptr;
}

bool keyExists(const Document& doc, const QString& key) {
    if (!key.contains(QLatin1Char('\\')))
        return true; // a root
    const QString folded = fold(key);
    const QString below = folded + QLatin1Char('\\');
    for (const Section& s : doc) {
        const QString k = fold(s.key);
        if (k == folded || k.startsWith(below))
            return true;
    }
    return false;
}

// Serialises read-modify-write between the programs, the tool and the component.
class StoreLock {
public:
    explicit StoreLock(const QString& path) : lock_(path + QStringLiteral(".lock")) {
        makePrivateFolder(QFileInfo(path).absolutePath());
        lock_.setStaleLockTime(10000);
        locked_ = lock_.tryLock(3000);
    }
    bool locked() const { return locked_; }

private:
    QLockFile lock_;
    bool locked_ = false;
};

// The keys above a removed one that are left with no value and no key below
// them go too, up to the root; keys that hold something stay.
void pruneEmptyParents(Document& doc, const QString& removedKey) {
    QString key = removedKey;
    for (qsizetype cut = key.lastIndexOf(QLatin1Char('\\')); cut > 0;
         cut = key.lastIndexOf(QLatin1Char('\\'))) {
        key.truncate(cut);
        if (!key.contains(QLatin1Char('\\')))
            return; // a root
        const Section* section = findSection(doc, key);
        if (section != nullptr && !section->values.isEmpty())
            return;
        const QString below = fold(key) + QLatin1Char('\\');
        if (std::any_of(doc.cbegin(), doc.cend(),
                        [&below](const Section& s) { return fold(s.key).startsWith(below); }))
            return;
        const QString folded = fold(key);
        doc.removeIf([&folded](const Section& s) { return fold(s.key) == folded; });
    }
}

// QChar::isDigit() also takes the digits of other scripts, which toUInt()
// then reads as 0.
bool isHex(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

} // namespace

QString RegistryStore::defaultPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/KovaShell/registry.reg");
}

std::optional<QString> RegistryStore::fullPath(RegistryRoot root, const QString& path) const {
    const QString base = root == RegistryRoot::LocalMachine ? kLocalMachine : kClassesView;
    if (path.isEmpty())
        return base;
    if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')) ||
        path.contains(QLatin1Char(']')))
        return std::nullopt;
    const QStringList parts = path.split(QLatin1Char('\\'));
    for (const QString& part : parts)
        if (part.isEmpty())
            return std::nullopt;
    return base + QLatin1Char('\\') + path;
}

std::optional<RegistryKey> RegistryStore::openKey(RegistryRoot root, const QString& path) const {
    const auto full = fullPath(root, path);
    Document doc;
    if (!full || !readDocument(path_, &doc) || !keyExists(doc, *full))
        return std::nullopt;
    return RegistryKey(path_, *full);
}

std::optional<RegistryKey> RegistryStore::createKey(RegistryRoot root, const QString& path) const {
    const auto full = fullPath(root, path);
    if (!full)
        return std::nullopt;
    // The key and each one above it, below the root.
    const QStringList parts = full->split(QLatin1Char('\\'));
    QStringList keys;
    for (qsizetype i = 1; i < parts.size(); ++i)
        keys.append(parts.mid(0, i + 1).join(QLatin1Char('\\')));
    const auto missing = [&keys](Document& doc) {
        QStringList absent;
        for (const QString& key : keys)
            if (findSection(doc, key) == nullptr)
                absent.append(key);
        return absent;
    };
    // Saves replace the file whole (a rename), so a read needs no lock: a key
    // that is there already costs no lock and its syncs.
    Document doc;
    if (readDocument(path_, &doc) && missing(doc).isEmpty())
        return RegistryKey(path_, *full);
    const StoreLock lock(path_);
    if (!lock.locked() || !readDocument(path_, &doc))
        return std::nullopt;
    const QStringList absent = missing(doc);
    for (const QString& key : absent)
        doc.append({key, {}});
    const bool changed = !absent.isEmpty();
    if (changed && !writeFileAtomically(path_, serialize(doc)))
        return std::nullopt;
    return RegistryKey(path_, *full);
}

bool RegistryStore::deleteTree(RegistryRoot root, const QString& path) const {
    const auto full = fullPath(root, path);
    // Nothing to remove makes nothing, not even the folder of the store.
    if (!full || path.isEmpty() || !QFileInfo::exists(path_))
        return false;
    bool done = false;
    {
        const StoreLock lock(path_);
        Document doc;
        if (!lock.locked() || !readDocument(path_, &doc))
            return false;
        const QString folded = fold(*full);
        const QString below = folded + QLatin1Char('\\');
        const qsizetype removed = doc.removeIf([&](const Section& s) {
            const QString k = fold(s.key);
            return k == folded || k.startsWith(below);
        });
        if (removed == 0)
            return false;
        pruneEmptyParents(doc, *full);
        // A store left with no key at all is no trace worth keeping.
        done = doc.isEmpty() ? QFile::remove(path_) : writeFileAtomically(path_, serialize(doc));
    }
    if (done && !QFileInfo::exists(path_)) {
        removeLeftoverTemporaryFiles(QFileInfo(path_).absolutePath(), [this](const QString& name) {
            return name == QFileInfo(path_).fileName();
        });
        QDir().rmdir(QFileInfo(path_).absolutePath()); // only when empty
    }
    return done;
}

std::optional<QString> RegistryStore::value(const QString& key, const QString& name) const {
    Document doc;
    if (!readDocument(path_, &doc))
        return std::nullopt;
    const Section* section = findSection(doc, key);
    if (section == nullptr)
        return std::nullopt;
    const QString folded = fold(name);
    for (const Value& v : section->values)
        if (fold(v.name) == folded)
            return v.data;
    return std::nullopt;
}

bool RegistryStore::setValue(const QString& key, const QString& name, const QString& data) const {
    // The program re-points its class at every load: the same value again
    // is no reason for a lock, a save or their syncs on the way out.
    if (value(key, name) == data)
        return true;
    const StoreLock lock(path_);
    Document doc;
    if (!lock.locked() || !readDocument(path_, &doc) || !keyExists(doc, key))
        return false;
    Section* section = findSection(doc, key);
    if (section == nullptr) {
        doc.append({key, {}});
        section = &doc.last();
    }
    const QString folded = fold(name);
    auto it = std::find_if(section->values.begin(), section->values.end(),
                           [&](const Value& v) { return fold(v.name) == folded; });
    if (it != section->values.end() && it->data == data)
        return true;
    if (it != section->values.end())
        it->data = data;
    else
        section->values.append({name, data});
    return writeFileAtomically(path_, serialize(doc));
}

std::optional<int> RegistryKey::queryValueSize(const QString& name) const {
    const auto data = queryValue(name);
    if (!data)
        return std::nullopt;
    return int(data->size());
}

std::optional<QByteArray> RegistryKey::queryValue(const QString& name) const {
    const auto data = RegistryStore(storePath_).value(path_, name);
    if (!data)
        return std::nullopt;
    return data->toUtf8() + '\0';
}

bool RegistryKey::setStringValue(const QString& name, const QString& value) const {
    return RegistryStore(storePath_).setValue(path_, name, value);
}

QString classIdText(const ClassId& id) {
    QString text = QStringLiteral("{%1-%2-%3-")
                       .arg(id.data1, 8, 16, QLatin1Char('0'))
                       .arg(id.data2, 4, 16, QLatin1Char('0'))
                       .arg(id.data3, 4, 16, QLatin1Char('0'));
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            text += QLatin1Char('-');
        text += QStringLiteral("%1").arg(id.data4[i], 2, 16, QLatin1Char('0'));
    }
    return text.toUpper() + QLatin1Char('}');
}

std::optional<ClassId> parseClassIdText(const QString& text) {
    if (text.size() != 38 || text[0] != u'{' || text[37] != u'}')
        return std::nullopt;
    for (qsizetype i = 1; i < 37; ++i) {
        const bool hyphen = i == 9 || i == 14 || i == 19 || i == 24;
        if (hyphen ? text[i] != u'-' : !isHex(text[i]))
            return std::nullopt;
    }
    ClassId id;
    id.data1 = text.mid(1, 8).toUInt(nullptr, 16);
    id.data2 = quint16(text.mid(10, 4).toUInt(nullptr, 16));
    id.data3 = quint16(text.mid(15, 4).toUInt(nullptr, 16));
    const int starts[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i)
        id.data4[i] = quint8(text.mid(starts[i], 2).toUInt(nullptr, 16));
    return id;
}

std::optional<ClassId> CLSIDFromProgID(const RegistryStore& store, const QString& progId) {
    if (progId.isEmpty() || progId.contains(QLatin1Char('\\')))
        return std::nullopt;
    const auto key = store.openKey(RegistryRoot::ClassesRoot, progId + QStringLiteral("\\CLSID"));
    if (!key)
        return std::nullopt;
    const auto data = key->queryValue(QString());
    if (!data)
        return std::nullopt;
    return parseClassIdText(QString::fromUtf8(data->left(data->size() - 1)));
}

QString inprocServerPath(const RegistryStore& store, const ClassId& id) {
    const auto key =
        store.openKey(RegistryRoot::ClassesRoot, QStringLiteral("CLSID\\") + classIdText(id) +
                                                     QStringLiteral("\\InprocServer32"));
    if (!key)
        return {};
    const auto data = key->queryValue(QString());
    if (!data)
        return {};
    return QString::fromUtf8(data->left(data->size() - 1));
}

} // namespace kova
