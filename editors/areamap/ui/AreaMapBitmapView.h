// The area-map view's widget: the map bitmap with the stations and one route's waypoint markers, drawn through an
// 800 x 448 display, and the mouse and keys handed to the view model.
#pragma once

#include "editors/areamap/model/AreaMapView.h"
#include "editors/common/ui/PresenterView.h"

#include <functional>
#include <memory>
#include <string>

class CDisplay;
class CFormviewSpriteList;

namespace vellisk {
class CVelliskApp;
}

class CFormViewAreaMapBitmap : public CPresenterView, public vellisk::IAreaMapViewHost {
public:
    CFormViewAreaMapBitmap(vellisk::CVelliskApp& app, QWidget* parent = nullptr);
    ~CFormViewAreaMapBitmap() override;

    // The set-up, once: the display, "GameInfo.txt" with the sprite lists, the incident site. False with the message
    // to show when "GameInfo.txt" cannot be read (the view then shows an empty map).
    bool InitialUpdate(vellisk::CUserMessage* failure);

    vellisk::CAreaMapViewModel& Model() { return m_model; }
    CDisplay* Display() const { return m_pDisplay.get(); }

    void SetSpriteList(CFormviewSpriteList* list) { m_pSpriteList = list; }
    void SetStatusHandler(std::function<void(const std::string&)> handler) { m_onStatus = std::move(handler); }

    // IAreaMapViewHost
    int SelectedStationTemplate() const override;
    void ClearStationSelection() override;
    void SetStatusText(const std::string& text) override;
    void CursorChanged() override;
    void EditStation(CSprite* station) override;

protected:
    void OnDraw() override;
    void OnMouseMove(uint32_t flags, int x, int y) override;
    void OnLButtonDown(uint32_t flags, int x, int y) override;
    void OnLButtonUp(uint32_t flags, int x, int y) override;
    void OnLButtonDblClk(uint32_t flags, int x, int y) override;
    void OnRButtonDown(uint32_t flags, int x, int y) override;
    void OnKeyDown(uint32_t vk, uint32_t flags) override;
    void resizeEvent(QResizeEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    vellisk::CVelliskApp& m_app;
    vellisk::CAreaMapViewModel m_model;
    std::unique_ptr<CDisplay> m_pDisplay;
    CFormviewSpriteList* m_pSpriteList = nullptr;
    std::function<void(const std::string&)> m_onStatus;
    bool m_bInitialised = false;
};
