#pragma once

#include "host/OsVersion.h"

namespace qv4130::test {

// A host that always reports the same version, so a test picks start-up's path.
class FixedOsVersion final : public OsVersionSource {
public:
    explicit FixedOsVersion(OsVersionInfo version) : version_(version) {}
    OsVersionInfo Query() override { return version_; }

private:
    OsVersionInfo version_;
};

} // namespace qv4130::test
