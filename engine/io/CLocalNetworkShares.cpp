#include "CLocalNetworkShares.h"

int CLocalNetworkShares::GetDriveType(const std::string&) {
    return kDriveUnknown;
}

bool CLocalNetworkShares::GetRemoteName(const std::string&, std::string&) {
    return false;
}

bool CLocalNetworkShares::AddConnection(const std::string&) {
    return false;
}
