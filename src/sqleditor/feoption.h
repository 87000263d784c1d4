#pragma once

class TEditorProp;

// The editor options dialog "エディタオプション": edits the shared editor
// settings holder, the completion and formatter settings and the reserved
// words. Not built yet: says so and changes nothing.
class TfrmEditorOption
{
public:
    // Modal; true when closed with OK and the settings were stored, false
    // when cancelled.
    static bool ShowWindow(TEditorProp *EditorProp);
};
