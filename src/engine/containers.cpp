#include "engine/containers.h"

#include "engine/maskedreplacer.h"
#include "engine/searchtree.h"

namespace tekstovar {

TContainerLexem::~TContainerLexem() = default;

void TContainerLexem::Add(std::unique_ptr<TLexem> child) { Items.push_back(std::move(child)); }

void TContainerLexem::ForgetText()
{
    for (auto& item : Items)
        item->ForgetText();
}

void TContainerLexem::SetLineBreak(std::string_view lineBreak)
{
    for (auto& item : Items)
        item->SetLineBreak(lineBreak);
}

std::vector<TLexem*> TContainerLexem::ItemPointers() const
{
    std::vector<TLexem*> pointers;
    pointers.reserve(Items.size());
    for (const auto& item : Items)
        pointers.push_back(item.get());
    return pointers;
}

void TRepeatableContainerLexem::Add(std::unique_ptr<TLexem> child)
{
    if (child->IsRepeated())
        Repeatable = true;
    TContainerLexem::Add(std::move(child));
}

bool TSetLexem::Test(std::string_view text, TPos p)
{
    for (auto& item : Items)
        if (item->Match(text, p)) {
            MatchLength = item->MatchLength;
            return true;
        }
    return false;
}

TLeadingChars TSetLexem::OwnLeadingChars() const
{
    TLeadingChars lead = TLeadingChars::Of(TCharSet{}); // an empty set matches nowhere
    for (const auto& item : Items) {
        TLeadingChars child = item->LeadingChars();
        if (child.Any)
            return TLeadingChars::AnyChar();
        lead.Chars.Unite(child.Chars);
    }
    return lead;
}

TBlockLexem::TBlockLexem(int maskPos, bool positive, bool repeated, int encoding, TSearchOptions options)
    : TRepeatableContainerLexem(maskPos, positive, repeated, encoding), Options(options)
{
}

TBlockLexem::~TBlockLexem()
{
    Tree.reset(); // the tree refers to the children: free it first
}

void TBlockLexem::EnsureTree()
{
    if (!Tree)
        Tree = BuildSearchTree(ItemPointers(), Options);
}

bool TBlockLexem::Test(std::string_view text, TPos p)
{
    if (Items.empty())
        return false; // an empty group never matches
    EnsureTree();
    bool result = Tree->Test(text, p);
    MatchLength = Tree->MatchLength;
    return result;
}

TLeadingChars TBlockLexem::OwnLeadingChars() const
{
    if (Items.empty())
        return TLeadingChars::Of(TCharSet{});
    // Whether the tree's root is a sequence or a run, its first child must
    // match where the group begins.
    return Items.front()->LeadingChars();
}

void TBlockLexem::ForgetText()
{
    TContainerLexem::ForgetText();
    if (Tree)
        Tree->ForgetText();
}

TContext::TContext(int maskPos, bool positive, bool repeated, int encoding, TSearchOptions options)
    : TContainerLexem(maskPos, positive, repeated, encoding), Options(options)
{
    MatchLength = 0;
}

void TContext::Modify(std::string& text, std::string_view modifier) { text = ModifiedText(text, modifier); }

std::string TContext::ModifiedText(std::string_view matched, std::string_view modifier)
{
    std::string result;
    RunNested(matched, modifier, [&result](std::string_view piece) { result += piece; });
    return result;
}

void TContext::PassModified(
    std::string_view text, std::string_view modifier, const std::function<void(std::string_view)>& sink)
{
    std::string_view matched;
    const TPos end = std::min(MatchStart + MatchLength, TextSize(text) + 1);
    if (MatchStart >= 1 && end > MatchStart)
        matched = text.substr(static_cast<std::size_t>(MatchStart - 1), static_cast<std::size_t>(end - MatchStart));
    RunNested(matched, modifier, sink);
}

void TContext::RunNested(
    std::string_view matched, std::string_view modifier, const std::function<void(std::string_view)>& sink)
{
    InnerErrorText.clear();
    if (Items.empty()) {
        sink(matched);
        return;
    }
    ForgetText(); // the children's trees remember the previous text
    TMaskedReplacer inner("", ItemPointers(), std::string(modifier), LineBreak, Options);
    // Each level of nested contexts reads its owner's text and hands its
    // result on: none copies the text or holds its result whole.
    inner.BorrowText(matched);
    inner.ResultSink = sink;
    inner.OnProgress = [this](TMaskedReplacer& r) {
        InnerPosition = r.GetPosition();
        InnerCount = r.ReplaceCount();
    };
    inner.Run();
    InnerErrorText = inner.ErrorText();
}

void TContext::SetLineBreak(std::string_view lineBreak)
{
    LineBreak = lineBreak;
    TContainerLexem::SetLineBreak(lineBreak);
}

} // namespace tekstovar
