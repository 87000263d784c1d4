#include "core/zksub_files.h"

#include "controls/zkstdctl.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zksub_dialogs.h"
#include "platform/encoding/textencoding.h"
#include "platform/inet/inet.h"
#include "platform/input/inputgate.h"
#include "platform/nls/widthconv.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMetaObject>
#include <QSet>
#include <QWidget>

#include <utility>

namespace {

// The file-name part: everything after the last "/".
qsizetype fileNameStart(const QString &fileName)
{
    return fileName.lastIndexOf(QLatin1Char('/')) + 1;
}

bool nameTaken(const QString &fileName)
{
    return QFileInfo::exists(fileName);
}

QString colorLetter(int i)
{
    return QString(QChar(char16_t(u'A' + i)));
}

// A custom colour as the settings keep it: "ColorA=BBGGRR" in hexadecimal,
// blue in the high byte.
QColor parseCustomColor(const QString &text)
{
    bool ok = false;
    const uint value = text.mid(text.indexOf(QLatin1Char('=')) + 1).trimmed().toUInt(&ok, 16);
    if (!ok)
        return QColor(Qt::black);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QString customColorText(int i, const QColor &color)
{
    const uint value = uint(color.red()) | (uint(color.green()) << 8) | (uint(color.blue()) << 16);
    return QStringLiteral("Color%1=%2")
        .arg(colorLetter(i), QStringLiteral("%1").arg(value, 6, 16, QLatin1Char('0')).toUpper());
}

const QString kColorsKey = QStringLiteral("\\COLORS");
constexpr int kCustomColors = 16;

} // namespace

// --- Files and folders -------------------------------------------------------

bool DirExists(const QString &dir)
{
    return !dir.isEmpty() && QFileInfo(dir).isDir();
}

bool ForceDir(const QString &dir)
{
    if (dir.isEmpty())
        return false;
    return QDir().mkpath(dir) && DirExists(dir);
}

QString RemoveInvalidFileChars(const QString &name)
{
    QString out = name;
    for (const QChar c : QStringLiteral("/*?\\:<>\"|"))
        out.remove(c);
    if (out == QLatin1String(".") || out == QLatin1String(".."))
        throw Exception(QStringLiteral("\"%1\" はファイル名に使用できません。").arg(name));
    return out;
}

QString ExtractFileExt(const QString &fileName)
{
    const qsizetype start = fileNameStart(fileName);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot >= start ? fileName.mid(dot) : QString();
}

QString MakeUniqueFileName(const QString &fileName)
{
    if (!nameTaken(fileName))
        return fileName;
    const QString ext = ExtractFileExt(fileName);
    const QString stem = fileName.left(fileName.size() - ext.size());
    for (qint64 i = 1;; ++i) {
        const QString candidate = stem + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')) + ext;
        if (!nameTaken(candidate))
            return candidate;
    }
}

bool HasKnownFileExt(const QString &fileName)
{
    static const QSet<QString> known = {
        QStringLiteral(".doc"),   QStringLiteral(".docx"), QStringLiteral(".docm"),  QStringLiteral(".xls"),
        QStringLiteral(".xlsx"),  QStringLiteral(".xlsm"), QStringLiteral(".ppt"),   QStringLiteral(".pptx"),
        QStringLiteral(".pptm"),  QStringLiteral(".mdb"),  QStringLiteral(".accdb"), QStringLiteral(".txt"),
        QStringLiteral(".pdf"),   QStringLiteral(".csv"),  QStringLiteral(".html"),  QStringLiteral(".htm"),
        QStringLiteral(".asp"),   QStringLiteral(".xml"),  QStringLiteral(".css"),   QStringLiteral(".wav"),
        QStringLiteral(".wma"),   QStringLiteral(".mp3"),  QStringLiteral(".ogg"),   QStringLiteral(".m4a"),
        QStringLiteral(".cda"),   QStringLiteral(".bmp"),  QStringLiteral(".gif"),   QStringLiteral(".jpeg"),
        QStringLiteral(".jpg"),   QStringLiteral(".tiff"), QStringLiteral(".tif"),   QStringLiteral(".png"),
        QStringLiteral(".wmv"),   QStringLiteral(".avi"),  QStringLiteral(".mpeg"),  QStringLiteral(".mpg"),
        QStringLiteral(".vob"),   QStringLiteral(".ogm"),  QStringLiteral(".mov"),   QStringLiteral(".rm"),
        QStringLiteral(".divx"),  QStringLiteral(".lzh"),  QStringLiteral(".zip"),   QStringLiteral(".exe"),
        QStringLiteral(".com"),   QStringLiteral(".bat"),  QStringLiteral(".dll"),   QStringLiteral(".ini"),
        QStringLiteral(".sql"),   QStringLiteral(".dmp"),  QStringLiteral(".log"),   QStringLiteral(".lst"),
        QStringLiteral(".zkmcr"), QStringLiteral(".bak"),
    };
    return known.contains(ExtractFileExt(fileName).toLower());
}

// --- Encodings -----------------------------------------------------------------

const TEncoding *EncodingFromOption(int value)
{
    switch (value & 0xFF) {
    case 1: return TEncoding::GetUTF7();
    case 2: return TEncoding::GetUTF8();
    case 3: return TEncoding::GetUnicode();
    case 4: return TEncoding::GetBigEndianUnicode();
    default: return TEncoding::GetANSI();
    }
}

const TEncoding *GetFileEncoding()
{
    return EncodingFromOption(zkOption.Encoding);
}

QByteArray StrToAnsiBuffer(const QString &text)
{
    return TEncoding::GetANSI()->GetBytes(text);
}

// The whole text is mapped at once: pieces could split a kana from its
// voiced mark.
QString ToFullWidth(const QString &text)
{
    return MapToFullWidth(text);
}

QString ToHalfWidth(const QString &text)
{
    return MapToHalfWidth(text);
}

// --- Processes and the internet -------------------------------------------------

void CloseExcelApp(QVariant &excel)
{
    excel.clear();
}

qint64 GetWindowProcessId(const QWidget *window)
{
    return window ? QCoreApplication::applicationPid() : 0;
}

bool IsInternetConnected()
{
    return InternetConnected();
}

TzkUrlInfo GetUrlInfo(const QString &url)
{
    TzkUrlInfo info;
    const UrlInfo found = QueryUrlInfo(QUrl(url));
    if (!found.lastModified.isValid() || found.length < 0)
        return info;
    info.LastModified = SystemTimeToLocalDateTime(found.lastModified);
    info.Size = found.length;
    return info;
}

TDateTime SystemTimeToLocalDateTime(const QDateTime &utc)
{
    if (!utc.isValid())
        return 0;
    return TDateTimeFromDateTime(utc.toLocalTime());
}

// --- Interface helpers ------------------------------------------------------------

namespace {
bool s_escapeLatched = false;
} // namespace

void SetEscapeLatch()
{
    s_escapeLatched = true;
}

void ResetEscapeLatch()
{
    s_escapeLatched = false;
}

bool IsEscapePressed()
{
    if (std::exchange(s_escapeLatched, false)) {
        // The key is spent; what waits is still delivered.
        PollEscapeKey();
        return true;
    }
    return PollEscapeKey();
}

void ExitActiveControl()
{
    QWidget *focus = QApplication::focusWidget();
    for (QWidget *w = focus; w; w = w->parentWidget()) {
        if (auto *committer = dynamic_cast<IzkEditCommit *>(w)) {
            committer->CommitEdit();
            return;
        }
        if (auto *view = qobject_cast<QAbstractItemView *>(w)) {
            // The focus is inside one of the view's cell editors.
            if (w != focus) {
                QWidget *editor = focus;
                while (editor && editor->parentWidget() != view->viewport())
                    editor = editor->parentWidget();
                if (editor)
                    QMetaObject::invokeMethod(view, "commitData", Q_ARG(QWidget *, editor));
            }
            return;
        }
        if (w->isWindow())
            return;
    }
}

void FindInListView(TzkStrEdit *edit, IzkSearchableList *list)
{
    if (!edit || !list)
        return;
    edit->setFocus();
    const QString text = edit->text();
    if (text.isEmpty())
        return;
    const QString wanted = text.toUpper();
    auto matches = [&](int i) {
        return list->ItemCaption(i).toUpper().contains(wanted) || list->ItemFirstSubItem(i).toUpper().contains(wanted);
    };
    const int count = list->ItemCount();
    const int selected = list->SelectedIndex();
    int found = -1;
    for (int i = selected + 1; i < count && found < 0; ++i) {
        if (matches(i))
            found = i;
    }
    if (found < 0 && selected >= 0) {
        for (int i = 0; i <= selected && i < count && found < 0; ++i) {
            if (matches(i))
                found = i;
        }
    }
    if (found >= 0)
        list->ShowFoundItem(found);
    else
        ShowAppMessage(QStringLiteral("検索対象が見つかりませんでした。"), MB_ICONWARNING);
}

bool PickColor(QWidget *owner, QColor &color)
{
    auto loadCustomColors = [] {
        if (!zkReg || !zkReg->OpenKey(ZK_REG_ROOT + kColorsKey, true))
            return;
        for (int i = 0; i < kCustomColors; ++i) {
            const QString text = zkReg->GetString(QStringLiteral("Color_") + colorLetter(i),
                                                  QStringLiteral("Color%1=000000").arg(colorLetter(i)));
            QColorDialog::setCustomColor(i, parseCustomColor(text));
        }
        zkReg->CloseKey();
    };
    auto saveCustomColors = [] {
        if (!zkReg)
            return;
        try {
            if (zkReg->OpenKey(ZK_REG_ROOT + kColorsKey, true)) {
                for (int i = 0; i < kCustomColors; ++i)
                    zkReg->WriteString(QStringLiteral("Color_") + colorLetter(i),
                                       customColorText(i, QColorDialog::customColor(i)));
            }
        } catch (...) {
            zkReg->CloseKey();
            throw;
        }
        zkReg->CloseKey();
    };

    QColorDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("dlgColor"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    loadCustomColors();
    dialog.setCurrentColor(color);
    const bool chosen = dialog.exec() == QDialog::Accepted;
    if (chosen)
        color = dialog.selectedColor();
    saveCustomColors();
    return chosen;
}

void AutoSizeGridColumn(IzkSizableGrid *grid, int col)
{
    if (!grid)
        return;
    int widest = 0;
    for (int row = 0; row < grid->RowCount(); ++row)
        widest = qMax(widest, GetDisplayWidth(grid->CellText(col, row)));
    const int wanted = grid->GridFontMetrics().horizontalAdvance(QString(widest, QLatin1Char('M')));
    grid->SetColumnWidth(col, wanted < 100 ? 100 : qMin(wanted, grid->GridWidth() / 3));
}
