// File exceptions from the status of a failed storage call.
#include "platform/ole_stream_file.h"

namespace {
struct SystemErrorCause {
    LONG error;
    int cause;
};

// The window system's error numbers below 0x100 that storage calls report,
// with the file exception cause each stands for.
const SystemErrorCause kSystemErrorCauses[] = {
    {0,   CFileException::none},              // NO_ERROR
    {2,   CFileException::fileNotFound},      // ERROR_FILE_NOT_FOUND
    {3,   CFileException::badPath},           // ERROR_PATH_NOT_FOUND
    {4,   CFileException::tooManyOpenFiles},  // ERROR_TOO_MANY_OPEN_FILES
    {5,   CFileException::accessDenied},      // ERROR_ACCESS_DENIED
    {6,   CFileException::invalidFile},       // ERROR_INVALID_HANDLE
    {11,  CFileException::invalidFile},       // ERROR_BAD_FORMAT
    {12,  CFileException::accessDenied},      // ERROR_INVALID_ACCESS
    {15,  CFileException::badPath},           // ERROR_INVALID_DRIVE
    {16,  CFileException::removeCurrentDir},  // ERROR_CURRENT_DIRECTORY
    {17,  CFileException::badPath},           // ERROR_NOT_SAME_DEVICE
    {18,  CFileException::directoryFull},     // ERROR_NO_MORE_FILES
    {19,  CFileException::accessDenied},      // ERROR_WRITE_PROTECT
    {20,  CFileException::hardIO},            // ERROR_BAD_UNIT
    {21,  CFileException::hardIO},            // ERROR_NOT_READY
    {22,  CFileException::hardIO},            // ERROR_BAD_COMMAND
    {23,  CFileException::hardIO},            // ERROR_CRC
    {24,  CFileException::badSeek},           // ERROR_BAD_LENGTH
    {25,  CFileException::badSeek},           // ERROR_SEEK
    {26,  CFileException::invalidFile},       // ERROR_NOT_DOS_DISK
    {27,  CFileException::badSeek},           // ERROR_SECTOR_NOT_FOUND
    {29,  CFileException::hardIO},            // ERROR_WRITE_FAULT
    {30,  CFileException::hardIO},            // ERROR_READ_FAULT
    {32,  CFileException::sharingViolation},  // ERROR_SHARING_VIOLATION
    {33,  CFileException::lockViolation},     // ERROR_LOCK_VIOLATION
    {34,  CFileException::badPath},           // ERROR_WRONG_DISK
    {36,  CFileException::tooManyOpenFiles},  // ERROR_SHARING_BUFFER_EXCEEDED
    {38,  CFileException::endOfFile},         // ERROR_HANDLE_EOF
    {39,  CFileException::diskFull},          // ERROR_HANDLE_DISK_FULL
    {80,  CFileException::accessDenied},      // ERROR_FILE_EXISTS
    {82,  CFileException::accessDenied},      // ERROR_CANNOT_MAKE
    {107, CFileException::fileNotFound},      // ERROR_DISK_CHANGE
    {108, CFileException::lockViolation},     // ERROR_DRIVE_LOCKED
    {112, CFileException::diskFull},          // ERROR_DISK_FULL
    {123, CFileException::badPath},           // ERROR_INVALID_NAME
    {131, CFileException::badSeek},           // ERROR_NEGATIVE_SEEK
    {132, CFileException::badSeek},           // ERROR_SEEK_ON_DEVICE
    {145, CFileException::removeCurrentDir},  // ERROR_DIR_NOT_EMPTY
    {161, CFileException::badPath},           // ERROR_BAD_PATHNAME
    {167, CFileException::lockViolation},     // ERROR_LOCK_FAILED
    {183, CFileException::accessDenied},      // ERROR_ALREADY_EXISTS
    {206, CFileException::badPath},           // ERROR_FILENAME_EXCED_RANGE
};
}  // namespace

int AfxCauseFromSystemError(LONG error)
{
    for (const SystemErrorCause& row : kSystemErrorCauses)
        if (row.error == error)
            return row.cause;
    return CFileException::genericException;
}

void AfxFillOleFileException(CFileException* error, SCODE status, const char* fileName)
{
    if (SCODE_FACILITY(status) == FACILITY_STORAGE && SCODE_CODE(status) < 0x100)
        error->m_cause = AfxCauseFromSystemError(SCODE_CODE(status));
    else if (status == STG_E_INUSE || status == STG_E_SHAREREQUIRED)
        error->m_cause = CFileException::sharingViolation;
    else
        error->m_cause = CFileException::genericException;
    error->m_lOsError = status;
    if (fileName)
        error->m_strFileName = fileName;
}

void AfxThrowOleFileException(SCODE status, const char* fileName)
{
    auto* error = new CFileException;
    AfxFillOleFileException(error, status, fileName);
    throw error;
}
