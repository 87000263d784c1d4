#include "core/zkCommonData.h"

#include <QGuiApplication>
#include <QPalette>

#include <atomic>

TzkConnectionManager *ConnectionManager = nullptr;

namespace {

// Windows' classic values, for system colours without a desktop palette.
TColor defaultSystemColor(int index)
{
    switch (index) {
    case 5: return RGBColor(255, 255, 255);    // window
    case 8: return RGBColor(0, 0, 0);          // window text
    case 13: return RGBColor(0, 120, 215);     // highlight
    case 14: return RGBColor(255, 255, 255);   // highlight text
    case 15: return RGBColor(240, 240, 240);   // button face
    case 16: return RGBColor(160, 160, 160);   // button shadow
    case 17: return RGBColor(109, 109, 109);   // grey text
    case 18: return RGBColor(0, 0, 0);         // button text
    case 20: return RGBColor(255, 255, 255);   // button highlight
    default: return -1;
    }
}

bool paletteRole(int index, QPalette::ColorRole *role, QPalette::ColorGroup *group)
{
    *group = QPalette::Active;
    switch (index) {
    case 5: *role = QPalette::Base; return true;
    case 8: *role = QPalette::Text; return true;
    case 13: *role = QPalette::Highlight; return true;
    case 14: *role = QPalette::HighlightedText; return true;
    case 15: *role = QPalette::Button; return true;
    case 16: *role = QPalette::Mid; return true;
    case 17: *role = QPalette::Text; *group = QPalette::Disabled; return true;
    case 18: *role = QPalette::ButtonText; return true;
    case 20: *role = QPalette::Light; return true;
    default: return false;
    }
}

} // namespace

TColor ColorToRGB(TColor color)
{
    if ((quint32(color) & 0xFF000000u) != 0xFF000000u)
        return TColor(quint32(color) & 0xFFFFFFu);
    const int index = int(quint32(color) & 0xFFu);
    QPalette::ColorRole role;
    QPalette::ColorGroup group;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && paletteRole(index, &role, &group))
        return QColorToTColor(QGuiApplication::palette().color(group, role));
    const TColor c = defaultSystemColor(index);
    if (c < 0)
        throw Exception(QStringLiteral("色の値 %1 は無効です。").arg(quint32(color), 8, 16, QLatin1Char('0')));
    return c;
}

QColor TColorToQColor(TColor color)
{
    const quint32 rgb = quint32(ColorToRGB(color));
    return QColor(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF));
}

TColor QColorToTColor(const QColor &color)
{
    return RGBColor(color.red(), color.green(), color.blue());
}

int NewFormID()
{
    static std::atomic<int> next{1};
    return next.fetch_add(1);
}

TzkConnectionManager::TzkConnectionManager() = default;
TzkConnectionManager::~TzkConnectionManager() = default;

void TzkConnectionManager::AddConnection(int i_nHandle, int i_nSessionID, const QString &i_sUser,
                                         const QString &i_sDatabase, const QString &i_sServer,
                                         TColor i_wBackgroundColor)
{
    if (i_sUser.isEmpty())
        throw EArgumentException(QStringLiteral("User name [i_sUser]"));
    if (i_sDatabase.isEmpty())
        throw EArgumentException(QStringLiteral("Database name [i_sDatabase]"));
    if (i_sServer.isEmpty())
        throw EArgumentException(QStringLiteral("Server name [i_sServer]"));
    if (!FConnectionDictionary.contains(i_nSessionID)) {
        TzkConnectionData data;
        data.BackgroundColor = i_wBackgroundColor;
        data.ForegroundColor = GetInvertColor(i_wBackgroundColor);
        data.UserName = i_sUser;
        data.DatabaseName = i_sDatabase;
        data.ServerName = i_sServer;
        data.SessionId = i_nSessionID;
        FConnectionDictionary.insert(i_nSessionID, data);
    }
    AddHandle(i_nHandle, i_nSessionID);
}

void TzkConnectionManager::RemoveConnection(int i_nHandle, int i_nSessionID)
{
    RemoveHandle(i_nHandle);
    FConnectionDictionary.remove(i_nSessionID);
}

void TzkConnectionManager::AddHandle(int i_nHandle, int i_nSessionID)
{
    if (!FWindowDictionary.contains(i_nHandle))
        FWindowDictionary.insert(i_nHandle, TzkWindowData{i_nHandle, i_nSessionID});
}

void TzkConnectionManager::RemoveHandle(int i_nHandle)
{
    FWindowDictionary.remove(i_nHandle);
}

void TzkConnectionManager::ChangeSessionID(int i_nHandle, int i_nSessionID)
{
    if (FWindowDictionary.contains(i_nHandle))
        FWindowDictionary.insert(i_nHandle, TzkWindowData{i_nHandle, i_nSessionID});
    else
        AddHandle(i_nHandle, i_nSessionID);
}

int TzkConnectionManager::GetSessionID(int i_nHandle) const
{
    const auto it = FWindowDictionary.constFind(i_nHandle);
    return it == FWindowDictionary.constEnd() ? 0 : it->SessionId;
}

TColor TzkConnectionManager::GetBackgroundColor(int i_nSessionID) const
{
    const auto it = FConnectionDictionary.constFind(i_nSessionID);
    return it == FConnectionDictionary.constEnd() ? clBtnFace : it->BackgroundColor;
}

TColor TzkConnectionManager::GetForegroundColor(int i_nSessionID) const
{
    const auto it = FConnectionDictionary.constFind(i_nSessionID);
    return it == FConnectionDictionary.constEnd() ? clBtnText : it->ForegroundColor;
}

TColor TzkConnectionManager::GetInvertColor(TColor i_wColor)
{
    try {
        const quint32 rgb = quint32(ColorToRGB(i_wColor));
        const quint32 r = ((rgb & 0xFF) - 96) & 0xFF;
        const quint32 g = ((rgb >> 8 & 0xFF) - 96) & 0xFF;
        const quint32 b = ((rgb >> 16 & 0xFF) - 96) & 0xFF;
        return TColor(r | g << 8 | b << 16);
    } catch (const std::exception &) {
        return clBtnFace;
    }
}
