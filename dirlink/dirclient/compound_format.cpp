#include "dirlink/dirclient/compound_format.h"

#include <algorithm>
#include <cstring>
#include <gsf/gsf.h>
#include <mutex>

namespace compound_format {
namespace {
// Deepest nesting of storages read from a file.
const int kMaxDepth = 32;
// Longest element name, in UTF-16 units, as the format stores it.
const size_t kMaxElementName = 31;

void ignoreLibraryMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// libgsf reports damaged files on standard error as well as through its
// results; the results are what this library acts on, and the host's
// standard error is not ours to write to.
void initGsf()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        const GLogLevelFlags levels = (GLogLevelFlags)(G_LOG_LEVEL_MASK & ~G_LOG_LEVEL_ERROR);
        for (const char* domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(domain, levels, ignoreLibraryMessage, nullptr);
    });
}

class TreeReader {
public:
    TreeReader(size_t fileSize, SNB exclude) : m_budget((ULONGLONG)fileSize * 16 + 65536), m_exclude(exclude) {}

    HRESULT readStorage(GsfInfile* folder, Element& into, int depth)
    {
        if (depth > kMaxDepth)
            return STG_E_DOCFILECORRUPT;
        gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(folder), into.clsid);
        int count = gsf_infile_num_children(folder);
        for (int i = 0; i < count; ++i) {
            const char* name = gsf_infile_name_by_index(folder, i);
            GsfInput* input = gsf_infile_child_by_index(folder, i);
            if (!name || !input) {
                if (input)
                    g_object_unref(input);
                return STG_E_DOCFILECORRUPT;
            }
            auto element = std::make_shared<Element>();
            element->name = name;
            HRESULT status = S_OK;
            if (GSF_IS_INFILE(input) && gsf_infile_num_children(GSF_INFILE(input)) >= 0) {
                element->isStorage = true;
                status = readStorage(GSF_INFILE(input), *element, depth + 1);
            } else if (!(depth == 0 && excluded(name))) {
                status = readStream(input, element->bytes);
            }
            g_object_unref(input);
            if (FAILED(status))
                return status;
            into.children.push_back(element);
        }
        return S_OK;
    }

private:
    bool excluded(const char* name) const
    {
        for (SNB p = m_exclude; p && *p; ++p)
            if (std::strcmp(*p, name) == 0)
                return true;
        return false;
    }

    HRESULT readStream(GsfInput* input, std::vector<BYTE>& bytes)
    {
        gsf_off_t size = gsf_input_size(input);
        // A damaged file may claim sizes far beyond what it holds.
        if (size < 0 || (ULONGLONG)size > kMaxStreamSize || (ULONGLONG)size > m_budget)
            return STG_E_DOCFILECORRUPT;
        m_budget -= (ULONGLONG)size;
        while ((gsf_off_t)bytes.size() < size) {
            size_t step = (size_t)std::min<gsf_off_t>(size - (gsf_off_t)bytes.size(), 1 << 16);
            const guint8* data = gsf_input_read(input, step, nullptr);
            if (!data)
                return STG_E_DOCFILECORRUPT;
            bytes.insert(bytes.end(), data, data + step);
        }
        return S_OK;
    }

    ULONGLONG m_budget;
    SNB m_exclude;
};

bool writeElements(GsfOutfile* folder, const Element& storage)
{
    for (const auto& child : storage.children) {
        GsfOutput* out = gsf_outfile_new_child(folder, child->name.c_str(), child->isStorage);
        if (!out)
            return false;
        bool ok = true;
        if (child->isStorage) {
            gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(out), child->clsid);
            ok = writeElements(GSF_OUTFILE(out), *child);
        } else if (!child->bytes.empty()) {
            ok = gsf_output_write(out, child->bytes.size(), child->bytes.data());
        }
        ok = gsf_output_close(out) && ok;
        g_object_unref(out);
        if (!ok)
            return false;
    }
    return true;
}
}  // namespace

HRESULT Encode(const Element& root, std::vector<BYTE>& encoded)
{
    initGsf();
    GsfOutput* sink = gsf_output_memory_new();
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(ole), root.clsid);
    bool ok = writeElements(ole, root);
    ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;  // also closes the sink
    g_object_unref(ole);
    if (ok) {
        const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
        gsf_off_t size = gsf_output_size(sink);
        encoded.assign(bytes, bytes + size);
    }
    g_object_unref(sink);
    return ok ? S_OK : STG_E_WRITEFAULT;
}

HRESULT Decode(const std::vector<BYTE>& encoded, SNB exclude, Element& root)
{
    initGsf();
    GsfInput* input = gsf_input_memory_new(encoded.data(), (gsf_off_t)encoded.size(), FALSE);
    GsfInfile* ole = gsf_infile_msole_new(input, nullptr);
    HRESULT status = STG_E_FILEALREADYEXISTS;  // the file is not a compound file
    if (ole) {
        status = TreeReader(encoded.size(), exclude).readStorage(ole, root, 0);
        g_object_unref(ole);
    }
    g_object_unref(input);
    return status;
}

bool IsValidElementName(const char* name)
{
    if (!name || !*name)
        return false;
    size_t units = 0;
    for (const unsigned char* p = (const unsigned char*)name; *p;) {
        if (std::strchr("/\\:!", *p))
            return false;
        int extra = *p < 0x80 ? 0 : (*p & 0xE0) == 0xC0 ? 1 : (*p & 0xF0) == 0xE0 ? 2 : (*p & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || (extra == 1 && *p < 0xC2))
            return false;
        for (int i = 1; i <= extra; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return false;
        units += extra == 3 ? 2 : 1;
        p += extra + 1;
    }
    return units <= kMaxElementName;
}

}  // namespace compound_format
