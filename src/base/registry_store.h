#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace kova {

// The roots the programs use. HKEY_CLASSES_ROOT is a view of
// HKEY_LOCAL_MACHINE\Software\Classes, as on the desktop the names come from.
enum class RegistryRoot { LocalMachine, ClassesRoot };

class RegistryStore;

// An open key. Every call goes to the file again, so a key opened before
// another process changed the store sees the change (and fails when the key
// has been removed meanwhile).
class RegistryKey {
public:
    // Size in bytes of a string value, terminating NUL included, like the
    // classic size query; nullopt when the value does not exist.
    std::optional<int> queryValueSize(const QString& name) const;
    // The value's bytes (UTF-8) with the terminating NUL; nullopt when missing.
    std::optional<QByteArray> queryValue(const QString& name) const;
    // Sets a string value; the empty name is the unnamed (default) value.
    bool setStringValue(const QString& name, const QString& value) const;

    const QString& path() const { return path_; }

private:
    friend class RegistryStore;
    RegistryKey(QString storePath, QString path)
        : storePath_(std::move(storePath)), path_(std::move(path)) {}
    QString storePath_; // a key may outlive the store object it came from
    QString path_;      // full path, root name first
};

// A small registry kept in one text file, in the layout of a .reg export:
// a "[key path]" line per key, then `@="value"` or `"name"="value"` lines.
// Key and value names match without regard to case. Saved atomically, mode 0600.
class RegistryStore {
public:
    // $XDG_CONFIG_HOME/KovaShell/registry.reg (default ~/.config/KovaShell/).
    static QString defaultPath();

    explicit RegistryStore(QString path = defaultPath()) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    // Opens an existing key; nullopt when it does not exist or the path is
    // malformed (empty parts). The empty path is the root itself.
    std::optional<RegistryKey> openKey(RegistryRoot root, const QString& path) const;
    // Opens a key, creating it and its missing parents.
    std::optional<RegistryKey> createKey(RegistryRoot root, const QString& path) const;
    // Removes a key with everything below it; false when nothing was removed.
    bool deleteTree(RegistryRoot root, const QString& path) const;

private:
    friend class RegistryKey;
    std::optional<QString> fullPath(RegistryRoot root, const QString& path) const;
    std::optional<QString> value(const QString& key, const QString& name) const;
    bool setValue(const QString& key, const QString& name, const QString& value) const;
    QString path_;
};

// A 128-bit class id in the GUID layout: 32-bit, 16-bit, 16-bit, 8 bytes.
struct ClassId {
    quint32 data1 = 0;
    quint16 data2 = 0;
    quint16 data3 = 0;
    std::array<quint8, 8> data4{};
    bool operator==(const ClassId&) const = default;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
QString classIdText(const ClassId& id);
// Strict reading of the braced form: every digit must be hexadecimal.
std::optional<ClassId> parseClassIdText(const QString& text);

// The class id a ProgID names: HKEY_CLASSES_ROOT\<progId>\CLSID, unnamed
// value, read strictly. nullopt when the ProgID is unknown.
std::optional<ClassId> CLSIDFromProgID(const RegistryStore& store, const QString& progId);

// HKEY_CLASSES_ROOT\CLSID\<id>\InprocServer32, unnamed value: the path of
// the library that implements the class; empty when not registered.
QString inprocServerPath(const RegistryStore& store, const ClassId& id);

} // namespace kova
