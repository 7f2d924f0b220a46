// The tactical map view's window: it presents the world's back buffer 1:1 and hands its mouse, wheel and keys to
// the map view's logic, with the cursor of the edit mode.
#pragma once

#include "editors/common/ui/PresenterView.h"

class CTarnwickApp;

class CFormViewSim : public CPresenterView {
public:
    CFormViewSim(CTarnwickApp& app, QWidget* parent = nullptr);
    ~CFormViewSim() override;

    // The cursor of the view's current mode.
    void RefreshCursor();

protected:
    void OnDraw() override;
    void OnMouseMove(uint32_t flags, int x, int y) override;
    void OnLButtonDown(uint32_t flags, int x, int y) override;
    void OnLButtonUp(uint32_t flags, int x, int y) override;
    void OnLButtonDblClk(uint32_t flags, int x, int y) override;
    void OnRButtonDown(uint32_t flags, int x, int y) override;
    void OnMouseWheel(uint32_t flags, int delta, int x, int y) override;
    void OnKeyDown(uint32_t vk, uint32_t flags) override;
    void OnKeyUp(uint32_t vk, uint32_t flags) override;

private:
    CTarnwickApp& m_app;
};
