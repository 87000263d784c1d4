#pragma once

#include "platform/registry/regtree.h"

#include <QMutex>
#include <QString>

#include <memory>
#include <vector>

enum class RegHive { CurrentUser, LocalMachine };

// One hive of the settings store, kept in a registry export file in the
// store's root folder. Changes stay in memory (and in a journal of this
// process's changes) until flush(); flush takes a file lock, re-reads the
// file, replays this process's changes onto it and replaces the file
// atomically, so two programs that change different values both keep them.
class RegistryStore
{
public:
    static RegistryStore &hive(RegHive h);

    // The folder that holds the hive files: $ZK_REGISTRY_ROOT when set, else
    // the user's configuration folder + "/zekalon".
    static QString rootFolder();
    // Forgets every hive's memory, so the next use reads the files again
    // (tests move the root folder between cases).
    static void resetAll();
    // Writes every hive that has unsaved changes; returns false on failure.
    static bool flushAll(QString *error = nullptr);

    QString hiveName() const;
    QString filePath() const;

    bool keyExists(const QString &path);
    bool createKey(const QString &path);
    bool deleteKey(const QString &path);
    QStringList subKeyNames(const QString &path);
    QStringList valueNames(const QString &path);
    bool hasSubKeys(const QString &path);

    std::optional<RegValue> value(const QString &path, const QString &name);
    bool setValue(const QString &path, const QString &name, const RegValue &v);
    bool deleteValue(const QString &path, const QString &name);

    // Re-reads the file when another process replaced it since we read it.
    void refresh();
    bool flush(QString *error = nullptr);
    bool isDirty();

    // Set when the file could not be read at start: it was moved aside and the
    // hive starts empty. The program shows it once; taking it clears it.
    QString takeLoadWarning();

private:
    explicit RegistryStore(RegHive h);
    struct Op
    {
        enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind;
        QString path;
        QString name;
        RegValue value;
    };
    struct FileStamp
    {
        bool exists = false;
        quint64 inode = 0;
        qint64 mtimeNs = 0;
        qint64 size = 0;
        bool operator==(const FileStamp &o) const
        {
            return exists == o.exists && inode == o.inode && mtimeNs == o.mtimeNs && size == o.size;
        }
    };

    void ensureLoaded();
    void loadFromDisk(bool keepBadFileAside);
    void apply(RegKey &root, const Op &op) const;
    void record(Op op);
    FileStamp stamp() const;

    RegHive m_hive;
    QRecursiveMutex m_mutex;
    bool m_loaded = false;
    std::unique_ptr<RegKey> m_base; // the file as last read or written
    std::unique_ptr<RegKey> m_tree; // m_base plus m_ops
    std::vector<Op> m_ops;
    FileStamp m_stamp;
    QString m_loadedFrom;
    QString m_loadWarning;
};
