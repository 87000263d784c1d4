#pragma once

#include "platform/graphics/colors.h"
#include "platform/rtl/exceptions.h"

#include <QColor>
#include <QHash>
#include <QString>

// A window id: from one process-wide counter, never 0 and never used twice.
int NewFormID();

struct TzkConnectionData
{
    TColor BackgroundColor = clBtnFace;
    TColor ForegroundColor = clBtnText;
    QString UserName;
    QString DatabaseName;
    QString ServerName;
    int SessionId = 0;
};

struct TzkWindowData
{
    int SelfHandle = 0;
    int SessionId = 0;
};

// The process-wide registry of sessions (with their colours) and of the
// windows bound to them.
class TzkConnectionManager
{
public:
    TzkConnectionManager();
    ~TzkConnectionManager();

    // Registers the session unless known (the first registration keeps its
    // colours) and the window. Raises EArgumentException for an empty user,
    // database or server.
    void AddConnection(int i_nHandle, int i_nSessionID, const QString &i_sUser, const QString &i_sDatabase,
                       const QString &i_sServer, TColor i_wBackgroundColor);
    void RemoveConnection(int i_nHandle, int i_nSessionID);
    // Registers a window unless its id is known (use ChangeSessionID to move it).
    void AddHandle(int i_nHandle, int i_nSessionID);
    void RemoveHandle(int i_nHandle);
    void ChangeSessionID(int i_nHandle, int i_nSessionID);
    // 0 for an unknown window.
    int GetSessionID(int i_nHandle) const;
    // clBtnFace / clBtnText for an unknown session.
    TColor GetBackgroundColor(int i_nSessionID) const;
    TColor GetForegroundColor(int i_nSessionID) const;
    // The text colour for a background: 96 less on each channel, wrapping.
    static TColor GetInvertColor(TColor i_wColor);

private:
    QHash<int, TzkConnectionData> FConnectionDictionary;
    QHash<int, TzkWindowData> FWindowDictionary;
};

// The one instance, created and freed by the main window; null before and after.
extern TzkConnectionManager *ConnectionManager;
