#pragma once

#include "engine/lexem.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tekstovar {

class TSearchLexem;

// A bracket pair with its children, which it owns.
class TContainerLexem : public TLexem {
public:
    using TLexem::TLexem;
    ~TContainerLexem() override;

    std::vector<std::unique_ptr<TLexem>> Items;

    virtual void Add(std::unique_ptr<TLexem> child);
    // A child closed after it was added turned out to repeat (see Add).
    virtual void ChildBecameRepeated() { }

    void ForgetText() override;
    void SetLineBreak(std::string_view lineBreak) override;
    std::vector<TLexem*> ItemPointers() const;
};

// A set or a group: a run of its own when written with "+" or when any
// child repeats.
class TRepeatableContainerLexem : public TContainerLexem {
public:
    TRepeatableContainerLexem(int maskPos, bool positive, bool repeated, int encoding)
        : TContainerLexem(maskPos, positive, repeated, encoding), Repeatable(repeated)
    {
    }

    bool Repeatable;

    bool IsRepeated() const override { return Repeatable; }
    void Add(std::unique_ptr<TLexem> child) override;
    void ChildBecameRepeated() override { Repeatable = true; }
};

// \[ ... \] : the first child that matches.
class TSetLexem : public TRepeatableContainerLexem {
public:
    using TRepeatableContainerLexem::TRepeatableContainerLexem;

    bool Test(std::string_view text, TPos p) override;
    TLeadingChars OwnLeadingChars() const override;
};

// \{ ... \} : a group matched by a search tree of its own.
class TBlockLexem : public TRepeatableContainerLexem {
public:
    TBlockLexem(int maskPos, bool positive, bool repeated, int encoding, TSearchOptions options);
    ~TBlockLexem() override;

    std::unique_ptr<TSearchLexem> Tree;

    bool Test(std::string_view text, TPos p) override;
    TLeadingChars OwnLeadingChars() const override;
    void ForgetText() override;

private:
    void EnsureTree();
    TSearchOptions Options;
};

// \( ... \) : matches like \*; its children and the modifier of its
// reference form a nested replacement over the text it matched.
class TContext : public TContainerLexem {
public:
    TContext(int maskPos, bool positive, bool repeated, int encoding, TSearchOptions options);

    TPos InnerPosition = 0;
    long long InnerCount = 0;
    // The nested replacement's error message of the last reference, if any.
    std::string InnerErrorText;

    bool Test(std::string_view, TPos) override { return true; }
    bool IsRepeated() const override { return true; }
    void Modify(std::string& text, std::string_view modifier) override;
    // The nested replacement over the matched text, read where it lies.
    std::string ModifiedText(std::string_view matched, std::string_view modifier) override;
    // The same replacement over what the context matched in text, handed to
    // `sink` piece by piece as it is made: nested contexts then hold no
    // result of their own.
    void PassModified(
        std::string_view text, std::string_view modifier, const std::function<void(std::string_view)>& sink);
    void SetLineBreak(std::string_view lineBreak) override;

private:
    void RunNested(
        std::string_view matched, std::string_view modifier, const std::function<void(std::string_view)>& sink);

    // For the nested replacement's tree.
    TSearchOptions Options;
    // The outer text's break: a matched fragment may hold another one, or
    // none at all.
    std::string LineBreak = "\n";
};

} // namespace tekstovar
