#include "CLinkTarget.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <utility>

CLinkTarget::CLinkTarget(QString strTarget) : m_strTarget(std::move(strTarget)) {}

CLinkTarget::~CLinkTarget() = default;

void CLinkTarget::SetTarget(QString strTarget) {
    m_strTarget = std::move(strTarget);
}

bool CLinkTarget::Navigate() const {
    const QUrl url(m_strTarget, QUrl::StrictMode);
    if (m_strTarget.isEmpty() || !url.isValid() || url.isRelative())
        return false;
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return false;
    return QDesktopServices::openUrl(url);
}
