// Vellisk's application without windows: the document it owns, the current file's names, and the file commands
// (New from a bitmap, Open, Save, Save As, the save prompts before New, Open and closing).
#pragma once

#include "editors/areamap/model/AreaMapDocument.h"
#include "editors/areamap/model/AreaMapView.h"

#include <memory>
#include <string>

namespace vellisk {

// The questions and messages the file commands put to the user.
class IVelliskPrompts {
public:
    enum class Answer { Yes, No, Cancel };
    virtual ~IVelliskPrompts() = default;
    virtual void Message(const CUserMessage& message) = 0;
    // Yes and No, with Cancel when asked for.
    virtual Answer Ask(const CUserMessage& question, bool withCancel) = 0;
    // The save dialog for an area map ("*.zra" in the data folder); empty when cancelled.
    virtual std::string SaveAreaMapName() = 0;
};

class CVelliskApp {
public:
    // The data folder is where the program starts; the document is created at once.
    explicit CVelliskApp(const std::string& dataFolder);
    ~CVelliskApp();
    CVelliskApp(const CVelliskApp&) = delete;
    CVelliskApp& operator=(const CVelliskApp&) = delete;

    CAreaMapData* Document() const { return m_pAreaMap.get(); }
    const std::string& DataFolder() const { return m_strDataFolder; }
    const std::string& FileTitle() const { return m_strFileTitle; }
    const std::string& PathName() const { return m_strPathName; }
    // The map view (set by it; Save and Save As reset its edit state, Open hands it the new document).
    void SetView(CAreaMapViewModel* view);
    CAreaMapViewModel* View() const { return m_pMapView; }

    bool IsModified() const { return m_pAreaMap && m_pAreaMap->m_bModified; }
    // Save needs a map bitmap and a change; Save As only the bitmap.
    bool CanSave() const { return CanSaveAs() && IsModified(); }
    bool CanSaveAs() const { return m_pAreaMap && m_pAreaMap->HasMap(); }

    // When the document is modified: Yes saves (going on only when that worked), No goes on, Cancel stops.
    bool AskSaveBeforeNew(IVelliskPrompts& prompts);
    // Reads the file into a new document and swaps it in; else "Failed to open file" and nothing changes.
    bool Open(const std::string& path, IVelliskPrompts& prompts);
    // Writes the document under a new name with its bitmap copied under the matching name (a picture already there
    // is replaced only after a Yes): the bitmap takes its name before the area map does. On failure the message
    // " Couldn't save ..." and names, path, caption, modified flag and the old file stay as they were. A route
    // being built is stored first, as Save does.
    bool SaveAs(const std::string& path, IVelliskPrompts& prompts);
    // To the current path (Save As when there is none).
    bool Save(IVelliskPrompts& prompts);
    // A new map from a picture in Maps (the one the map-bitmap dialog saved, or one picked): the view loads it, the
    // bitmap name is its file name, the map has no file until saved, and for "<name>.bmp" it is saved at once as
    // "<data>/<NAME>.ZRA" (asking before replacing one). False when nothing was loaded (a picture outside Maps is
    // refused with a message).
    bool NewFromBitmap(const std::string& bitmapPath, IVelliskPrompts& prompts);
    // Closing: asks to save a modified document; false to stay open.
    bool CanClose(IVelliskPrompts& prompts);

private:
    // The bitmap names and paths of a Save As.
    struct SaveAsFiles {
        std::string oldName, newName; // bare names in Maps
        std::string maps, from, to;   // the Maps folder, the old bitmap, the new one
        bool copy = false;            // the new name is another file than the old one
        bool pictureThere = false;    // something already had the new name
    };
    // Writes the area map at `path` and the bitmap copy; on failure reports it and puts the bitmap name back.
    bool WriteSaveAs(const std::string& path, const SaveAsFiles& files, IVelliskPrompts& prompts);
    // " Couldn't save <path>." with the reason the file `failed` could not be written (the area map or its
    // bitmap), or the fixed guess when none is known.
    void ReportSaveFailure(const std::string& path, const std::string& failed, int error,
                           IVelliskPrompts& prompts) const;
    // Tells when the loaded map picture is larger than the map shows.
    void TellOversize(const std::string& picture, IVelliskPrompts& prompts) const;

    std::string m_strDataFolder;
    std::unique_ptr<CAreaMapData> m_pAreaMap;
    CAreaMapViewModel* m_pMapView = nullptr;
    std::string m_strFileTitle;
    std::string m_strPathName;
};

} // namespace vellisk
