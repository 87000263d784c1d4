#pragma once

class TEditorProp;

// The settings every SQL editor shares: one holder, filled from the key
// EDITOR by LoadSettings and written back by SaveSettings. An editor takes
// the whole set with prpEditor->AssignTo(editor). Null until
// RegisterEditorSettings; the code-completion values beside it are the core
// record CodeAssistOption (core/zkoption.h).
extern TEditorProp *prpEditor;

// Fills prpEditor and CodeAssistOption from the key EDITOR. The holder takes
// ReserveWords as they stand (LoadSettings reads RESERVE just before). An
// EDITOR key without "CodeAssistCallOfDot" comes from an older version: it
// is removed with everything under it (the editor frame's conversion rules
// included) and every setting takes its default. A second load gives the
// same holder as the first. Raises ERegistryException when the key cannot
// be opened.
void LoadEditorSettings();
// Writes prpEditor and CodeAssistOption under EDITOR, the key's other values
// and subkeys untouched. Raises ERegistryException when the key cannot be
// opened.
void SaveEditorSettings();

// Creates prpEditor when missing and hands the two functions above to
// LoadSettings and SaveSettings (their EDITOR section). The main window calls
// it at start-up, before LoadSettings.
void RegisterEditorSettings();
// Takes the handlers back and frees prpEditor.
void ReleaseEditorSettings();
