// A new map's two dialogs: "Where is the ESRI data?" (the folder of shapefiles, sorted into the document's slots)
// and "New Area Map Bitmap" (the layers pictured by the map control, saved as a 24-bit BMP).
#pragma once

#include "editors/areamap/model/MapControl.h"
#include "editors/common/ui/EditorDialog.h"

#include "platform/gdi/DeviceBitmap.h"

#include <string>

class QLineEdit;
class QPushButton;

namespace vellisk {
class CAreaMapData;
}

class CDialogLocateESRIData : public CEditorDialog {
public:
    static constexpr int kFolderId = 1032;
    static constexpr int kBrowseId = 1015;

    // `baseFolder`: the data folder ("<base>/Maps" is where Browse starts).
    CDialogLocateESRIData(vellisk::CAreaMapData& document, std::string baseFolder, QWidget* parent = nullptr);

    const std::string& ChosenFolder() const { return m_strFolder; }

protected:
    void OnOK() override;

private:
    void OnBrowse();

    vellisk::CAreaMapData& m_document;
    std::string m_strBaseFolder;
    std::string m_strFolder;
    QLineEdit* m_pEdit;
};

// The map control's window: the layers' picture at (0, 0), 800 x 448.
class CMapControlView : public QWidget {
public:
    static constexpr int kMapId = 1000;
    CMapControlView(const platform::gdi::DeviceBitmap& picture, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const platform::gdi::DeviceBitmap& m_picture;
};

class CDialogAreaMapMO : public CEditorDialog {
public:
    static constexpr int kSaveId = 1004;

    CDialogAreaMapMO(vellisk::CAreaMapData& document, std::string baseFolder, QWidget* parent = nullptr);

    // The last bitmap saved (empty when none was).
    const std::string& SavedPath() const { return m_strSavedPath; }
    const vellisk::CMap1& Map() const { return m_map; }
    const platform::gdi::DeviceBitmap& Picture() const { return m_picture; }

protected:
    void OnInitDialog() override;

private:
    void OnSave();

    vellisk::CAreaMapData& m_document;
    std::string m_strBaseFolder;
    std::string m_strSavedPath;
    vellisk::CMap1 m_map;
    platform::gdi::DeviceBitmap m_picture;
    CMapControlView* m_pMapView;
};
