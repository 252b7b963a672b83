#include "engine/fileoutput.h"

#include "common/error.h"

#include <fcntl.h>
#include <unistd.h>

namespace tekstovar {

TFileOutput::TFileOutput(std::string path, std::string_view reference, bool compareBeforeConversion, TConvert convert)
    : Path(std::move(path)), Reference(reference), CompareBeforeConversion(compareBeforeConversion),
      Convert(std::move(convert))
{
}

std::string TFileOutput::Converted(std::string_view piece) const
{
    return Convert ? Convert(piece) : std::string(piece);
}

void TFileOutput::Write(std::string_view bytes)
{
    SizeValue += bytes.size();
    if (!WriteError.empty())
        return; // the rest would be lost anyway
    try {
        if (!Rewrite)
            Rewrite = std::make_unique<TFileRewrite>(Path);
        Rewrite->Write(bytes);
    } catch (const TError& e) {
        WriteError = e.what();
        Rewrite.reset(); // no temporary stays behind
    }
}

void TFileOutput::BeginWriting()
{
    Differs = true;
    if (Equal == 0)
        return;
    const std::string_view same = Reference.substr(0, Equal);
    if (CompareBeforeConversion)
        Write(Converted(same));
    else
        Write(same);
}

bool TFileOutput::WrittenEquals(const std::function<std::string()>& next)
{
    if (!WriteError.empty())
        return false;
    if (!Rewrite) // nothing written: equal only to nothing
        return SizeValue == 0 && next().empty();
    const int fd = ::open(Rewrite->TemporaryPath().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool same = true;
    std::size_t at = 0;
    std::string got;
    for (std::string expected = next(); same && !expected.empty(); expected = next()) {
        got.resize(expected.size());
        same = ::pread(fd, got.data(), got.size(), static_cast<off_t>(at)) == static_cast<ssize_t>(got.size()) &&
            got == expected;
        at += expected.size();
    }
    ::close(fd);
    return same && at == SizeValue;
}

void TFileOutput::Put(std::string_view piece)
{
    if (Differs) {
        if (Convert)
            Write(Convert(piece));
        else
            Write(piece);
        return;
    }
    std::string converted;
    std::string_view compared = piece;
    if (!CompareBeforeConversion && Convert) {
        converted = Convert(piece);
        compared = converted;
    }
    if (Reference.substr(Equal).starts_with(compared)) {
        Equal += compared.size();
        return;
    }
    BeginWriting();
    if (CompareBeforeConversion && Convert)
        Write(Convert(piece));
    else
        Write(compared);
}

bool TFileOutput::Changed()
{
    if (!Differs && Equal != Reference.size())
        BeginWriting(); // the new contents are a shorter start of the old
    return Differs;
}

std::string TFileOutput::Commit()
{
    if (!WriteError.empty())
        throw TError(WriteError);
    if (!Rewrite)
        Write({}); // an empty file in place of the old one
    if (!WriteError.empty())
        throw TError(WriteError);
    std::unique_ptr<TFileRewrite> rewrite = std::move(Rewrite);
    return rewrite->Commit();
}

} // namespace tekstovar
