// The scenario editor's application state apart from its windows: the world, the map view's logic, the palette,
// the current file, and the frame's file and event commands with their messages.
#pragma once

#include "editors/tacmap/model/EditorWorld.h"
#include "editors/tacmap/model/SpritePalette.h"
#include "editors/tacmap/model/TacticalMapView.h"

#include <memory>
#include <string>

namespace tacmap {

extern const char* const kAppName; // "Tarnwick"

class CTarnwickModel {
public:
    // The data folder is where the program started (or the one given).
    explicit CTarnwickModel(IMapViewHost& host);
    CTarnwickModel(const std::string& dataFolder, IMapViewHost& host);
    ~CTarnwickModel();

    CEditorWorld& World() { return *m_pWorld; }
    CTacticalMapView& View() { return *m_pView; }
    CSpritePalette& Palette() { return m_palette; }

    // The name of a full path relative to the data folder, or empty (with a message box) for a path outside it.
    std::string NameInDataFolder(const std::string& path) const;

    // File > Open with the chosen file: only a scenario that opened changes the title, path and caption.
    bool Open(const std::string& path);
    // Save As to the chosen file; Save writes the current file, or reports that Save As must ask for one. A
    // failure shows " Couldn't save <path>" with the reason under it, titled "Save As Failed", and changes nothing.
    bool SaveAs(const std::string& path, bool asXml = false);
    enum class SaveResult { Saved, Failed, NeedsName };
    SaveResult Save();
    bool LastSaveOK() const { return m_bLastSaveOK; }
    void SetLastSaveOK(bool ok) { m_bLastSaveOK = ok; }

    // The events commands; each shows its own message.
    bool ImportEvents(const std::string& path);
    bool ExportEventsAsText(const std::string& path);
    bool ExportEvents(const std::string& path);
    void RemoveAllEvents();

    // Whether the description's editors can run ("Scenario detail data is not available" when not, for the
    // scenario details).
    bool HasScenario(bool report) const;
    // After a dialog changed the description.
    void MarkModified() { m_pView->SetModified(true); }

    const std::string& GetFileTitle() const { return m_strFileTitle; }
    const std::string& GetPathName() const { return m_strPathName; }
    // The frame's caption: the file's title, "Untitled" before any.
    std::string Caption() const;
    bool IsModified() const { return m_pView->IsModified(); }

private:
    bool Write(const std::string& path, const std::string& name, bool asXml);

    CSpritePalette m_palette;
    std::unique_ptr<CEditorWorld> m_pWorld;
    std::unique_ptr<CTacticalMapView> m_pView;
    std::string m_strFileTitle;
    std::string m_strPathName;
    bool m_bLastSaveOK = false;
};

} // namespace tacmap
