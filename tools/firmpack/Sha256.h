// SHA-256 from the platform's own implementation: OpenSSL's libcrypto on Linux, the
// system's CNG (bcrypt) on Windows.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(const unsigned char* data, std::size_t size);
    // The digest as 64 lower-case hexadecimal digits; empty if the platform failed.
    std::string FinishHex();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
