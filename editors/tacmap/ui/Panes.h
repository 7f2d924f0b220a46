// The three panes of the frame's left column: the tile display, the sprite palette (tiles, squads and vehicles
// of an agency, terrain features) and the editor controls (zoom, grid, clear, fragment, costs, cutaway, details).
#pragma once

#include "editors/common/ui/PresenterView.h"

#include <QWidget>

#include <memory>

class CDisplay;
class CTarnwickApp;
class QComboBox;
class QListWidget;
class QRadioButton;

// The chosen tile's art on a small display of its own.
class CFormViewTileDisplay : public CPresenterView {
public:
    CFormViewTileDisplay(CTarnwickApp& app, QWidget* parent = nullptr);
    ~CFormViewTileDisplay() override;

    // Shows the tile type (the palette's shown tile) again.
    void ShowTile();
    QSize minimumSizeHint() const override { return QSize(0, 0); }

protected:
    void OnDraw() override;

private:
    CTarnwickApp& m_app;
    std::unique_ptr<CDisplay> m_pDisplay;
};

// The sprite palette: its widgets mirror the palette model, and a user's choice goes to it.
class CFormViewSprites : public QWidget {
public:
    CFormViewSprites(CTarnwickApp& app, QWidget* parent = nullptr);
    ~CFormViewSprites() override;

    // Puts the palette's lists and selections into the widgets (no change notifications).
    void Sync();

    QListWidget* Tiles() const { return m_pTiles; }
    QComboBox* Agencies() const { return m_pAgencies; }
    QListWidget* Units() const { return m_pUnits; }
    QListWidget* Features() const { return m_pFeatures; }

private:
    void OnTilesChanged();
    void OnAgencyChanged(int row);
    void OnUnitsChanged();
    void OnFeaturesChanged();

    CTarnwickApp& m_app;
    QListWidget* m_pTiles;
    QComboBox* m_pAgencies;
    QListWidget* m_pUnits;
    QListWidget* m_pFeatures;
    bool m_bSyncing = false;
};

// The view-wide commands.
class CFormViewEditorControls : public QWidget {
public:
    CFormViewEditorControls(CTarnwickApp& app, QWidget* parent = nullptr);
    ~CFormViewEditorControls() override;

    // "In" checked = not zoomedOut, "Out" checked = zoomedOut.
    void SetZoomRadios(bool zoomedOut);
    bool IsShowChecked() const;

private:
    void OnClearMap();
    void OnReloadCost();
    void OnCutaway(bool show);
    void OnDetails();

    CTarnwickApp& m_app;
    QRadioButton* m_pOut;
    QRadioButton* m_pIn;
    QRadioButton* m_pShow;
    QRadioButton* m_pHide;
};
