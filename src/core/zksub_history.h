#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TEncoding;

// The WHERE-clause history of the data tabs and the command runner.

// An ini file held in memory: sections of "name=value" lines, section and
// value names compared without regard to case, names and values without
// surrounding blanks, everything else kept in its order. Read and written in a given encoding by our own code.
class TzkIniFile
{
public:
    // Reads the file when it exists and can be read; otherwise starts empty.
    TzkIniFile(const QString &fileName, const TEncoding *encoding);

    QString ReadString(const QString &section, const QString &name, const QString &def) const;
    // A line break in the value would end the line: it is stored as a blank.
    void WriteString(const QString &section, const QString &name, const QString &value);
    // Writes the file with CR LF line ends and the encoding's byte-order
    // mark; raises Exception when it cannot be written.
    void UpdateFile() const;

private:
    struct Section
    {
        QString name;
        QList<std::pair<QString, QString>> values;
    };
    Section *findSection(const QString &name);
    const Section *findSection(const QString &name) const;

    QString m_fileName;
    const TEncoding *m_encoding;
    QList<Section> m_sections;
};

// The history file of an object: the work folder (option TempDir) +
// server.database.schema.object.ini without the characters invalid in file
// names.
QString WhereHistoryFileName(const QString &server, const QString &database, const QString &schema,
                             const QString &objectName);

// Fills the list with the stored conditions, keys "00" to "19" of section
// WHERE in order, empty ones skipped. Nothing is read without an object name;
// a file that cannot be read gives an empty list.
void LoadWhereHistory(const QString &server, const QString &database, const QString &schema, const QString &objectName,
                      QStringList &list);

// Stores the first 20 texts of the list under the keys "00" to "19"; keys
// past the last one written keep their values. Raises Exception when the
// file cannot be written.
void SaveWhereHistory(const QString &server, const QString &database, const QString &schema, const QString &objectName,
                      const QStringList &list);

// Where the command runner puts the lines of a tool's output: the SQL editor
// control of the window that runs the tool.
class IzkLineSink
{
public:
    virtual ~IzkLineSink() = default;
    // Adds the line at the end and moves the caret to its start.
    virtual void AddLine(const QString &line) = 0;
};

// Runs the command line and adds each line of its output (standard output's
// data, then standard error's, as they arrive) to the sink while it runs,
// with the busy cursor shown. A last line without a line end is added when
// the tool has ended. True when the process could be started.
bool RunCommandToMemo(const QString &commandLine, IzkLineSink *memo);

// The folder in a form that can stand in a command line, ending in "/": in
// double quotes when it holds a blank ("/a b/" followed by a file name stays
// one argument); empty when the folder does not exist.
QString GetShortPath(const QString &path);
