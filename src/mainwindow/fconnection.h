#pragma once

class TzkListView;

// The import of saved connections from earlier installed versions of the
// program into the logon dialog's list and the DATABASE key.
class TfrmConnection
{
public:
    // True when the user imported: the registry and AList hold the new
    // entries. Ends with a silent abort after telling the user when no
    // earlier connection can be imported.
    static bool ShowWindow(TzkListView *AList);
};
