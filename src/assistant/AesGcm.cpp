#include "AesGcm.h"

#include <QLibrary>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>

namespace {

// libcrypto is loaded when the first box is sealed or opened, not with the application: only the
// stored API keys need it, and loaded at start its symbol tables and relocated data alone kept
// about 1.4 MiB resident in every session.
struct Crypto {
    decltype(&EVP_CIPHER_CTX_new) newContext = nullptr;
    decltype(&EVP_CIPHER_CTX_free) freeContext = nullptr;
    decltype(&EVP_CIPHER_CTX_ctrl) control = nullptr;
    decltype(&EVP_aes_256_gcm) aes256Gcm = nullptr;
    decltype(&EVP_EncryptInit_ex) encryptInit = nullptr;
    decltype(&EVP_EncryptUpdate) encryptUpdate = nullptr;
    decltype(&EVP_EncryptFinal_ex) encryptFinal = nullptr;
    decltype(&EVP_DecryptInit_ex) decryptInit = nullptr;
    decltype(&EVP_DecryptUpdate) decryptUpdate = nullptr;
    decltype(&EVP_DecryptFinal_ex) decryptFinal = nullptr;
    decltype(&RAND_bytes) randomBytes = nullptr;
    bool loaded = false;
};

// The functions, all of them or none: without the library every box fails to seal or open.
const Crypto& crypto()
{
    static const Crypto functions = [] {
        Crypto c;
        QLibrary library(QStringLiteral("crypto"), 3);
        if (!library.load())
            return c;
        const auto resolve = [&library](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
            return function != nullptr;
        };
        c.loaded = resolve(c.newContext, "EVP_CIPHER_CTX_new") && resolve(c.freeContext, "EVP_CIPHER_CTX_free")
                   && resolve(c.control, "EVP_CIPHER_CTX_ctrl") && resolve(c.aes256Gcm, "EVP_aes_256_gcm")
                   && resolve(c.encryptInit, "EVP_EncryptInit_ex") && resolve(c.encryptUpdate, "EVP_EncryptUpdate")
                   && resolve(c.encryptFinal, "EVP_EncryptFinal_ex") && resolve(c.decryptInit, "EVP_DecryptInit_ex")
                   && resolve(c.decryptUpdate, "EVP_DecryptUpdate") && resolve(c.decryptFinal, "EVP_DecryptFinal_ex")
                   && resolve(c.randomBytes, "RAND_bytes");
        return c;
    }();
    return functions;
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

CipherContext newContext(const Crypto& c)
{
    return CipherContext(c.newContext(), c.freeContext);
}

const unsigned char* bytes(const QByteArray& data)
{
    return reinterpret_cast<const unsigned char*>(data.constData());
}

unsigned char* bytes(QByteArray& data)
{
    return reinterpret_cast<unsigned char*>(data.data());
}

} // namespace

std::optional<QByteArray> AesGcm::seal(const QByteArray& key, const QByteArray& plaintext, const QByteArray& nonce)
{
    const Crypto& c = crypto();
    if (!c.loaded)
        return std::nullopt;
    QByteArray iv = nonce;
    if (iv.isNull()) {
        iv.resize(kNonceSize);
        if (c.randomBytes(bytes(iv), kNonceSize) != 1)
            return std::nullopt;
    }
    if (key.size() != kKeySize || iv.size() != kNonceSize)
        return std::nullopt;

    const CipherContext context = newContext(c);
    QByteArray ciphertext(plaintext.size(), Qt::Uninitialized);
    QByteArray tag(kTagSize, Qt::Uninitialized);
    int written = 0;
    int finalWritten = 0;
    if (!context || c.encryptInit(context.get(), c.aes256Gcm(), nullptr, bytes(key), bytes(iv)) != 1
        || c.encryptUpdate(context.get(), bytes(ciphertext), &written, bytes(plaintext), int(plaintext.size())) != 1
        || c.encryptFinal(context.get(), bytes(ciphertext) + written, &finalWritten) != 1
        || c.control(context.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, tag.data()) != 1)
        return std::nullopt;
    return iv + ciphertext + tag;
}

std::optional<QByteArray> AesGcm::open(const QByteArray& key, const QByteArray& box)
{
    const Crypto& c = crypto();
    if (!c.loaded || key.size() != kKeySize || box.size() < kNonceSize + kTagSize)
        return std::nullopt;
    const QByteArray iv = box.left(kNonceSize);
    const QByteArray ciphertext = box.mid(kNonceSize, box.size() - kNonceSize - kTagSize);
    QByteArray tag = box.right(kTagSize);

    const CipherContext context = newContext(c);
    QByteArray plaintext(ciphertext.size(), Qt::Uninitialized);
    int written = 0;
    int finalWritten = 0;
    if (!context || c.decryptInit(context.get(), c.aes256Gcm(), nullptr, bytes(key), bytes(iv)) != 1
        || c.decryptUpdate(context.get(), bytes(plaintext), &written, bytes(ciphertext), int(ciphertext.size())) != 1
        || c.control(context.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag.data()) != 1
        || c.decryptFinal(context.get(), bytes(plaintext) + written, &finalWritten) != 1)
        return std::nullopt;
    return plaintext;
}
