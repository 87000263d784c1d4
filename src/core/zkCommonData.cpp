#include "core/zkCommonData.h"

#include <atomic>

TzkConnectionManager *ConnectionManager = nullptr;

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
