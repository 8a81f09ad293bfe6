#include "platform/exceptions.h"

#include <cerrno>
#include <cstring>
#include <ios>
#include <new>
#include <stdexcept>
#include <utility>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CResourceException, CException)
IMPLEMENT_DYNAMIC(CUserException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {
BOOL copyMessage(const char* text, char* buffer, UINT maxLength)
{
    if (!buffer || maxLength == 0)
        return FALSE;
    std::strncpy(buffer, text, maxLength - 1);
    buffer[maxLength - 1] = '\0';
    return TRUE;
}

// Exceptions are made on the heap; when even that fails, the shared memory
// exception goes instead, so a throw helper never throws std::bad_alloc.
template <class E, class... Args>
[[noreturn]] void throwNew(Args&&... args)
{
    E* e = new (std::nothrow) E(std::forward<Args>(args)...);
    if (!e)
        AfxThrowMemoryException();
    throw e;
}

const char* const fileCauseTexts[] = {
    "No error occurred.",
    "An unspecified error occurred.",
    "The file could not be located.",
    "All or part of the path is invalid.",
    "The permitted number of open files was exceeded.",
    "The file could not be accessed.",
    "There was an attempt to use an invalid file handle.",
    "The current working directory cannot be removed.",
    "There are no more directory entries.",
    "There was an error trying to set the file pointer.",
    "There was a hardware error.",
    "A sharing violation occurred.",
    "A locking violation occurred.",
    "The disk is full.",
    "The end of file was reached.",
};

const char* const archiveCauseTexts[] = {
    "No error occurred.",
    "An unspecified error occurred.",
    "There was an attempt to write to an archive opened for loading.",
    "The end of file was reached while reading an object.",
    "There was an attempt to read from an archive opened for storing.",
    "The archive contains an invalid object index.",
    "There was an attempt to read an object of the wrong type.",
    "The archive holds an object of an unsupported version.",
};
}  // namespace

void CException::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

BOOL CException::GetErrorMessage(char* buffer, UINT maxLength, UINT*) const
{
    if (buffer && maxLength)
        buffer[0] = '\0';
    return FALSE;
}

BOOL CMemoryException::GetErrorMessage(char* buffer, UINT maxLength, UINT*) const
{
    return copyMessage("Out of memory.", buffer, maxLength);
}

BOOL CInvalidArgException::GetErrorMessage(char* buffer, UINT maxLength, UINT*) const
{
    return copyMessage("An argument was outside the accepted range.", buffer, maxLength);
}

CFileException::CFileException(int cause, LONG osError, const char* fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName ? fileName : "")
{
}

BOOL CFileException::GetErrorMessage(char* buffer, UINT maxLength, UINT*) const
{
    if (m_cause < 0 || m_cause > endOfFile)
        return copyMessage("An unspecified error occurred.", buffer, maxLength);
    CString text = fileCauseTexts[m_cause];
    if (!m_strFileName.IsEmpty())
        text += CString(" (") + m_strFileName + ")";
    return copyMessage(text, buffer, maxLength);
}

int CFileException::OsErrorToException(LONG osError)
{
    switch (osError) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return accessDenied;
    case EBADF: return invalidFile;
    case ESPIPE:
    case EINVAL: return badSeek;
    case EIO: return hardIO;
    case EBUSY:
    case ETXTBSY: return sharingViolation;
    case ENOSPC:
    case EDQUOT: return diskFull;
    default: return genericException;
    }
}

CArchiveException::CArchiveException(int cause, const char* fileName)
    : m_cause(cause), m_strFileName(fileName ? fileName : "")
{
}

BOOL CArchiveException::GetErrorMessage(char* buffer, UINT maxLength, UINT*) const
{
    if (m_cause < 0 || m_cause > badSchema)
        return copyMessage("An unspecified error occurred.", buffer, maxLength);
    return copyMessage(archiveCauseTexts[m_cause], buffer, maxLength);
}

void AfxThrowMemoryException()
{
    // Shared, never freed: there may be no memory left to make a new one.
    static CMemoryException shared(FALSE);
    throw &shared;
}

void AfxThrowInvalidArgException()
{
    throwNew<CInvalidArgException>();
}

void AfxThrowNotSupportedException()
{
    throwNew<CNotSupportedException>();
}

void AfxThrowResourceException()
{
    throwNew<CResourceException>();
}

void AfxThrowUserException()
{
    throwNew<CUserException>();
}

void AfxThrowFileException(int cause, LONG osError, const char* fileName)
{
    throwNew<CFileException>(cause, osError, fileName);
}

void AfxThrowArchiveException(int cause, const char* fileName)
{
    throwNew<CArchiveException>(cause, fileName);
}

void AfxThrowFromStdException(const std::exception& e)
{
    if (dynamic_cast<const std::bad_alloc*>(&e) || dynamic_cast<const std::length_error*>(&e))
        AfxThrowMemoryException();
    if (dynamic_cast<const std::out_of_range*>(&e) || dynamic_cast<const std::invalid_argument*>(&e))
        AfxThrowInvalidArgException();
    if (dynamic_cast<const std::ios_base::failure*>(&e))
        AfxThrowFileException(CFileException::genericException);
    AfxThrowResourceException();
}
