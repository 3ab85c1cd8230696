#include <windows.h>

#include <bcrypt.h>

#include "Sha256.h"
#include "TextEscaping.h"

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0 &&
              BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0;
    ~State()
    {
        if (hash != nullptr)
            BCryptDestroyHash(hash);
        if (algorithm != nullptr)
            BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {}
Sha256::~Sha256() = default;

void Sha256::Update(const unsigned char* data, std::size_t size)
{
    m_state->ok = m_state->ok &&
                  BCryptHashData(m_state->hash, const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0) >= 0;
}

std::string Sha256::FinishHex()
{
    unsigned char digest[32];
    if (!m_state->ok || BCryptFinishHash(m_state->hash, digest, sizeof(digest), 0) < 0)
        return "";
    return HexBytes(std::string(reinterpret_cast<const char*>(digest), sizeof(digest)));
}
