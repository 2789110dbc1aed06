#include "package/ZipArchive.h"

#include <algorithm>

#include <zip.h>

#include "base/DocumentError.h"

namespace sonotag::package {
namespace {

std::string LibzipMessage(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string message = zip_error_strerror(&error);
    zip_error_fini(&error);
    return message;
}

struct FileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

struct SourceReleaser {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

// The bytes an in-memory source holds once its archive is written.
std::string ReadWhole(zip_source_t* source, const std::string& name) {
    const auto fail = [&] {
        return DocumentError("cannot write " + name + " (the archive made in memory cannot be read)");
    };
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(source, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) || zip_source_open(source) != 0)
        throw fail();
    std::string bytes(static_cast<std::size_t>(stat.size), '\0');
    const zip_int64_t got = zip_source_read(source, bytes.data(), bytes.size());
    zip_source_close(source);
    if (got != static_cast<zip_int64_t>(bytes.size())) throw fail();
    return bytes;
}

}  // namespace

void ZipArchive::Closer::operator()(zip* archive) const { zip_discard(archive); }

ZipArchive::ZipArchive(std::string bytes, std::string name) : bytes_(std::move(bytes)), name_(std::move(name)) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes_.data(), bytes_.size(), 0, &error);
    if (source) archive_.reset(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive_) {
        if (source) zip_source_free(source);
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        if (code == ZIP_ER_NOZIP) throw DocumentError(name_ + " is not a zip archive");
        throw DocumentError(name_ + " is not a readable zip archive (" + LibzipMessage(code) + ")");
    }
    zip_error_fini(&error);
    const zip_int64_t count = zip_get_num_entries(archive_.get(), 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        const char* entry = zip_get_name(archive_.get(), static_cast<zip_uint64_t>(index), 0);
        if (!entry) throw DocumentError(name_ + " has an entry without a readable name");
        entries_.emplace_back(entry);
    }
}

ZipArchive::~ZipArchive() = default;

bool ZipArchive::contains(const std::string& name) const {
    return std::find(entries_.begin(), entries_.end(), name) != entries_.end();
}

std::string ZipArchive::read(const std::string& name) const {
    const std::string where = name_ + ": " + name;
    const zip_int64_t index = zip_name_locate(archive_.get(), name.c_str(), 0);
    if (index < 0) throw DocumentError(name_ + " has no entry " + name);
    zip_stat_t stat;
    if (zip_stat_index(archive_.get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE)) {
        throw DocumentError(where + " cannot be read (" + zip_strerror(archive_.get()) + ")");
    }
    if (stat.size > kMaxEntrySize) {
        throw DocumentError(where + " inflates to " + std::to_string(stat.size) + " bytes, more than 512 MB");
    }
    const std::unique_ptr<zip_file_t, FileCloser> file(
        zip_fopen_index(archive_.get(), static_cast<zip_uint64_t>(index), 0));
    if (!file) throw DocumentError(where + " cannot be read (" + zip_strerror(archive_.get()) + ")");
    // One byte more than the header promises: the read past the end is
    // where libzip checks the checksum, and where a longer entry shows.
    std::string data(static_cast<std::size_t>(stat.size) + 1, '\0');
    std::size_t filled = 0;
    while (filled < data.size()) {
        const zip_int64_t got = zip_fread(file.get(), data.data() + filled, data.size() - filled);
        if (got < 0) throw DocumentError(where + " is damaged or truncated (" + zip_file_strerror(file.get()) + ")");
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    if (filled != stat.size) throw DocumentError(where + " is not as long as its header says");
    data.resize(filled);
    return data;
}

void ZipArchive::check(const std::string& name) const {
    const std::string where = name_ + ": entry " + name;
    const zip_int64_t index = zip_name_locate(archive_.get(), name.c_str(), 0);
    if (index < 0) throw DocumentError(name_ + " has no entry " + name);
    zip_stat_t stat;
    if (zip_stat_index(archive_.get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
        throw DocumentError(where + " cannot be read (" + zip_strerror(archive_.get()) + ")");
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        throw DocumentError(where + " is encrypted");
    }
    const std::unique_ptr<zip_file_t, FileCloser> file(
        zip_fopen_index(archive_.get(), static_cast<zip_uint64_t>(index), 0));
    if (!file) throw DocumentError(where + " cannot be read (" + zip_strerror(archive_.get()) + ")");
    std::vector<char> buffer(std::size_t{1} << 16);
    std::uint64_t total = 0;
    for (zip_int64_t got; (got = zip_fread(file.get(), buffer.data(), buffer.size())) != 0;
         total += static_cast<std::uint64_t>(got)) {
        if (got < 0) throw DocumentError(where + " is damaged (" + zip_file_strerror(file.get()) + ")");
    }
    if ((stat.valid & ZIP_STAT_SIZE) && total != stat.size)
        throw DocumentError(where + " is damaged (shorter than its header says)");
}

std::string ZipArchive::copyWith(const std::map<std::string, std::string>& replaced) const {
    zip_error_t error;
    zip_error_init(&error);
    const std::unique_ptr<zip_source_t, SourceReleaser> target(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!target) throw DocumentError("cannot write " + name_ + " (" + zip_error_strerror(&error) + ")");
    zip_error_fini(&error);
    zip_source_keep(target.get());  // ours after the archive is closed
    std::unique_ptr<zip, Closer> copy(zip_open_from_source(target.get(), ZIP_TRUNCATE, &error));
    if (!copy) {
        zip_source_free(target.get());  // the reference the archive did not take
        throw DocumentError("cannot write " + name_ + " (" + LibzipMessage(zip_error_code_zip(&error)) + ")");
    }
    const auto fail = [&] { throw DocumentError("cannot write " + name_ + " (" + zip_strerror(copy.get()) + ")"); };
    for (std::size_t index = 0; index < entries_.size(); ++index) {
        const auto replacement = replaced.find(entries_[index]);
        const bool fresh = replacement != replaced.end();
        // Start 0 and length -1: the entry's compressed data is copied as it is.
        zip_source_t* source =
            fresh ? zip_source_buffer(copy.get(), replacement->second.data(), replacement->second.size(), 0)
                  : zip_source_zip(copy.get(), archive_.get(), index, 0, 0, -1);
        if (!source) fail();
        const zip_int64_t added = zip_file_add(copy.get(), entries_[index].c_str(), source, 0);
        if (added < 0) {
            zip_source_free(source);
            fail();
        }
        const auto entry = static_cast<zip_uint64_t>(added);
        if (!fresh) {
            // A stored entry stays stored: libzip would deflate its data as
            // it deflates any new entry's.
            zip_stat_t stat;
            if (zip_stat_index(archive_.get(), index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_COMP_METHOD) &&
                stat.comp_method == ZIP_CM_STORE && zip_set_file_compression(copy.get(), entry, ZIP_CM_STORE, 0) != 0) {
                fail();
            }
        } else {
            zip_stat_t stat;
            // The fastest level: markup repeats itself so much that it still
            // shrinks to a tenth, at a fraction of the default's time.
            if (zip_set_file_compression(copy.get(), entry, ZIP_CM_DEFLATE, 1) != 0) fail();
            if (zip_stat_index(archive_.get(), index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_MTIME) &&
                zip_file_set_mtime(copy.get(), entry, stat.mtime, 0) != 0) {
                fail();
            }
        }
    }
    if (zip_close(copy.get()) != 0) fail();
    (void)copy.release();  // closed: nothing left to discard
    return ReadWhole(target.get(), name_);
}

}  // namespace sonotag::package
