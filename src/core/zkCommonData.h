#pragma once

#include "platform/rtl/exceptions.h"

#include <QColor>
#include <QHash>
#include <QString>

// Colours as the settings and the windows store them: the Windows colour
// value, red in the low byte, then green and blue; a value with the high
// byte 0xFF names a system colour by its index. Converted to QColor only
// for painting.
using TColor = qint32;
constexpr TColor clBtnFace = TColor(0xFF00000Fu);
constexpr TColor clBtnText = TColor(0xFF000012u);

constexpr TColor RGBColor(int r, int g, int b) { return TColor((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16); }
// The plain RGB value of a colour; system colours take the desktop's current
// colours. Raises for a system colour index that does not exist.
TColor ColorToRGB(TColor color);
QColor TColorToQColor(TColor color);
TColor QColorToTColor(const QColor &color);

class EArgumentException : public Exception
{
public:
    using Exception::Exception;
};

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
