#pragma once

#include <string>

// The network calls used to connect a trace folder's share before a folder scan.
class INetworkShares {
public:
    virtual ~INetworkShares() = default;

    // Drive types as the platform numbers them: 0 unknown, 1 no root directory, others usable.
    static constexpr int kDriveUnknown = 0;
    static constexpr int kDriveNoRootDir = 1;

    // The type of a drive given as its letter and colon ("D:").
    virtual int GetDriveType(const std::string& drive) = 0;
    // The remote name remembered for a drive letter; false when there is none.
    virtual bool GetRemoteName(const std::string& drive, std::string& remoteName) = 0;
    // Connects a network resource with the current user's credentials.
    virtual bool AddConnection(const std::string& remoteName) = 0;
};
