#include "CVelquorDoc.h"

#include "COpenRequest.h"

bool CVelquorDoc::OnNewDocument(const COpenRequest& request) {
    SetTitle(request.m_strTraceName);
    return true;
}
