#include "ptypair.h"

#include <unistd.h>

namespace krn::test {

bool PtyPair::write(const QByteArray& bytes)
{
    return m_pty.isOpen() &&
           ::write(m_pty.fd(), bytes.constData(), size_t(bytes.size())) == bytes.size();
}

} // namespace krn::test
