// The two editors the main dialog opens on the document: the trigger editor and the event wizard. The trigger
// editor lives in TriggerEditor.h/.cpp and the wizard in WizardEvent.h/.cpp.
#pragma once

#include <cstdint>
#include <string>

class COstrelDocument;
class CZRArgument;
class QWidget;

// Opens the trigger editor (modal) on `trigger`, a working copy the caller owns, showing `displayId` as its id.
// Returns true when it ended with OK: the trigger then holds the edited name and conditions with its mask
// recomputed. The caller stores it in the document, sets the modified flag and refreshes its lists.
bool RunTriggerEditor(COstrelDocument& document, QWidget* parent, CZRArgument* trigger, uint32_t displayId);

// Runs the two-page event wizard with `caption` ("Create New Event", "Edit Blank Event", "Edit Defined Event")
// for a new event (`eventName` null) or the event of that name. On Finish it stores the event in the document's
// events data (appending a new one) and sets the modified flag; otherwise nothing changes (a new event's id is
// used up). Returns the event's unique id, -1 when no event has that name. The caller refreshes its lists after.
int32_t RunEventWizard(COstrelDocument& document, QWidget* parent, const std::string& caption,
                       const std::string* eventName);
