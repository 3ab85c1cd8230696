#include <openssl/evp.h>

#include "Sha256.h"
#include "TextEscaping.h"

struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    bool ok = context != nullptr && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1;
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : m_state(std::make_unique<State>()) {}
Sha256::~Sha256() = default;

void Sha256::Update(const unsigned char* data, std::size_t size)
{
    m_state->ok = m_state->ok && EVP_DigestUpdate(m_state->context, data, size) == 1;
}

std::string Sha256::FinishHex()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!m_state->ok || EVP_DigestFinal_ex(m_state->context, digest, &size) != 1)
        return "";
    return HexBytes(std::string(reinterpret_cast<const char*>(digest), size));
}
