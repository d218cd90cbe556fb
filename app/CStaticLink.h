#pragma once

#include "CLinkTarget.h"

#include <QBasicTimer>
#include <QLabel>
#include <QRgb>

#include <memory>

// A text label that behaves as a hyperlink: blue text, red while the pointer is over it,
// purple after its target was opened, a hand cursor, and a click that opens the target, or
// shows its address when the desktop cannot open it.
class CStaticLink : public QLabel {
    Q_OBJECT

public:
    static constexpr QRgb s_rgbNormal = qRgb(0, 0, 255);
    static constexpr QRgb s_rgbVisited = qRgb(128, 0, 128);
    static constexpr QRgb s_rgbHover = qRgb(255, 0, 0);
    static constexpr int s_nHoverCheckMs = 100;

    explicit CStaticLink(QWidget* pParent = nullptr);
    ~CStaticLink() override;

    CLinkTarget& Link() { return *m_pLink; }
    // Replaces the target object, keeping nothing of the old one.
    void SetLink(std::unique_ptr<CLinkTarget> pLink);

    QRgb Color() const { return m_color; }

protected:
    void enterEvent(QEnterEvent* pEvent) final;
    void mousePressEvent(QMouseEvent* pEvent) final;
    void timerEvent(QTimerEvent* pEvent) final;

private:
    void ShowAddress();
    void SetColor(QRgb color);
    bool IsPointerInside() const;

    std::unique_ptr<CLinkTarget> m_pLink;
    QRgb m_color = s_rgbNormal;
    bool m_bHover = false;
    QBasicTimer m_hoverTimer;
};
