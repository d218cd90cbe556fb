#pragma once

#include "INetworkShares.h"

// Linux has neither drive letters nor shares to connect on demand: a mounted share is a
// folder like any other. Every drive is unknown and nothing is connected.
class CLocalNetworkShares final : public INetworkShares {
public:
    int GetDriveType(const std::string& drive) override;
    bool GetRemoteName(const std::string& drive, std::string& remoteName) override;
    bool AddConnection(const std::string& remoteName) override;
};
