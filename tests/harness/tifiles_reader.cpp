#include "tifiles_reader.h"

#include <tifiles.h>

namespace corvane::harness {

TifilesReading readWithTifiles(const std::string& path) {
    static const int initialised = tifiles_library_init();
    (void)initialised;

    TifilesReading reading;
    const CalcModel model = tifiles_file_get_model(path.c_str());
    if (model == CALC_NONE) {
        reading.error = "libtifiles does not recognise " + path;
        return reading;
    }
    FileContent* content = tifiles_content_create_regular(model);
    if (content == nullptr) {
        reading.error = "libtifiles cannot create a content";
        return reading;
    }
    if (tifiles_file_read_regular(path.c_str(), content) != 0) {
        reading.error = "libtifiles cannot read " + path;
    } else {
        reading.model = content->model;
        reading.signature = tifiles_calctype2signature(content->model);
        reading.entries = content->num_entries;
        reading.computedChecksum = content->checksum;
        reading.storedChecksum = content->stored_checksum;
        if (content->num_entries > 0) {
            const VarEntry* entry = content->entries[0];
            reading.name = entry->name;
            reading.type = entry->type;
            reading.data.assign(reinterpret_cast<const char*>(entry->data), entry->size);
        }
    }
    tifiles_content_delete_regular(content);
    return reading;
}

} // namespace corvane::harness
