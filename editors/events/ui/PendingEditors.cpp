// Stand-ins for the trigger editor and the event wizard while their own files are missing: each says so.
#include "editors/events/ui/OstrelEditors.h"

#if !__has_include("editors/events/ui/TriggerEditor.h")
#include "editors/common/ui/Prompts.h"

bool RunTriggerEditor(COstrelDocument&, QWidget* parent, CZRArgument*, uint32_t)
{
    Prompts().MessageBox("The trigger editor is not available.", "ZR Events Editor", EPromptButtons::Ok,
                         EPromptIcon::Information, parent);
    return false;
}
#endif

#if !__has_include("editors/events/ui/WizardEvent.h")
#include "editors/common/ui/Prompts.h"

int32_t RunEventWizard(COstrelDocument&, QWidget* parent, const std::string&, const std::string*)
{
    Prompts().MessageBox("The event wizard is not available.", "ZR Events Editor", EPromptButtons::Ok,
                         EPromptIcon::Information, parent);
    return -1;
}
#endif
