#include "AesGcm.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>

namespace {

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

CipherContext newContext()
{
    return CipherContext(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
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
    QByteArray iv = nonce;
    if (iv.isNull()) {
        iv.resize(kNonceSize);
        if (RAND_bytes(bytes(iv), kNonceSize) != 1)
            return std::nullopt;
    }
    if (key.size() != kKeySize || iv.size() != kNonceSize)
        return std::nullopt;

    const CipherContext context = newContext();
    QByteArray ciphertext(plaintext.size(), Qt::Uninitialized);
    QByteArray tag(kTagSize, Qt::Uninitialized);
    int written = 0;
    int finalWritten = 0;
    if (!context || EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, bytes(key), bytes(iv)) != 1
        || EVP_EncryptUpdate(context.get(), bytes(ciphertext), &written, bytes(plaintext), int(plaintext.size())) != 1
        || EVP_EncryptFinal_ex(context.get(), bytes(ciphertext) + written, &finalWritten) != 1
        || EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, kTagSize, tag.data()) != 1)
        return std::nullopt;
    return iv + ciphertext + tag;
}

std::optional<QByteArray> AesGcm::open(const QByteArray& key, const QByteArray& box)
{
    if (key.size() != kKeySize || box.size() < kNonceSize + kTagSize)
        return std::nullopt;
    const QByteArray iv = box.left(kNonceSize);
    const QByteArray ciphertext = box.mid(kNonceSize, box.size() - kNonceSize - kTagSize);
    QByteArray tag = box.right(kTagSize);

    const CipherContext context = newContext();
    QByteArray plaintext(ciphertext.size(), Qt::Uninitialized);
    int written = 0;
    int finalWritten = 0;
    if (!context || EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, bytes(key), bytes(iv)) != 1
        || EVP_DecryptUpdate(context.get(), bytes(plaintext), &written, bytes(ciphertext), int(ciphertext.size())) != 1
        || EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag.data()) != 1
        || EVP_DecryptFinal_ex(context.get(), bytes(plaintext) + written, &finalWritten) != 1)
        return std::nullopt;
    return plaintext;
}
