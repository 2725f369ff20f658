#include "QAMatcher.h"

#include "WellFormedText.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

using Tokens = QSet<QString>;

const Tokens greetingWords = {"hey",   "heyy",    "heyyy",   "hi",       "hii",    "hiii",    "hello",
                              "helo",  "yo",      "sup",     "wassup",   "whatsup", "morning", "afternoon",
                              "evening", "night", "salam",   "salaam",   "assalam", "assalamu", "hola",
                              "bonjour", "ciao",  "namaste", "thanks",   "thank",  "ty",      "welcome"};
const Tokens casualWords = {"bro", "sir", "boss", "buddy", "man", "quillmarsh", "assistant", "there", "dear"};
const Tokens selfWords = {"im", "i", "am"};
const Tokens followUpWords = {"it",   "this", "that", "use",  "uses", "work", "works",   "do",   "does", "how",
                              "what", "why",  "where", "when", "explain", "more", "start", "run", "setup"};
const Tokens stopWords = {"the", "and", "for",  "you",        "your", "with", "this",  "that",   "what", "how", "does",
                          "do",  "use", "can",  "app",        "quillmarsh", "sir", "bro", "right", "please", "pls"};

const std::vector<std::pair<QString, QString>> typoCorrections = {
    {"resoultion", "resolution"}, {"resoltuion", "resolution"}, {"anayalysis", "analysis"},
    {"analaysis", "analysis"},    {"uninstlal", "uninstall"},   {"uninsatll", "uninstall"},
    {"dsitribute", "distribute"}, {"menubar", "menu bar"},      {"framerate", "frame rate"},
    {"framrate", "frame rate"},   {"apikey", "api key"},        {"api connect", "ai connect"},
};

const std::vector<std::pair<QString, QStringList>> topicKeywords = {
    {"ai connect", {"ai connect", "real ai", "api key", "openai", "claude", "gemini", "groq", "mistral", "openrouter"}},
    {"resolution", {"resolution", "display", "screen", "res", "1080p", "1440p", "4k", "scaling"}},
    {"cleaner", {"cleaner", "clean", "cache", "junk", "storage", "space", "scan"}},
    {"optimizers", {"optimizer", "optimizers", "optimize", "boost", "performance", "lag", "stutter"}},
    {"frame limiter", {"frame limiter", "fps", "frame", "cap", "limit", "limiter"}},
    {"purge ram", {"purge ram", "purge", "memory pressure", "free memory"}},
    {"dashboard", {"dashboard", "graphs", "graph", "monitor", "monitoring", "ram", "vram", "cpu", "network"}},
    {"game profiles", {"game profile", "profiles", "profile", "games"}},
    {"menu bar", {"menu bar", "menubar", "tray", "status bar"}},
    {"system", {"system", "device", "mac info", "hardware"}},
    {"export", {"export", "report", "pdf", "logs", "log"}},
    {"install", {"install", "open", "gatekeeper", "unsigned", "blocked"}},
    {"uninstall", {"uninstall", "remove app", "delete app"}},
    {"assistant", {"assistant", "help bot", "chat assistant"}},
    {"troubleshooting", {"troubleshoot", "trouble", "error", "issue", "problem", "crash", "freeze"}},
};

const QStringList fillerSentences = {
    " This applies to gaming usage and keeps the existing app workflow simple.",
    " This applies to client friendly usage and keeps the existing app workflow simple.",
    " This applies to lifetime app usage and keeps the existing app workflow simple.",
};

bool containsAny(const Tokens& tokens, std::initializer_list<const char*> words)
{
    return std::any_of(words.begin(), words.end(), [&](const char* word) { return tokens.contains(QLatin1String(word)); });
}

bool praises(const QString& text, const Tokens& tokens)
{
    return text.contains(QLatin1String("how good")) || containsAny(tokens, {"good", "worth", "safe", "recommend", "reliable"});
}

const QString a1 = QStringLiteral("I'm the built-in Quillmarsh assistant. I can help with the app, performance settings, "
                                  "cleanup, AI Connect, and quick troubleshooting.");
const QString a2 = QStringLiteral("I can help you choose boost settings, explain each tab, guide safe cleanup, explain "
                                  "FPS/resolution choices, read menu bar meaning, and set up AI Connect.");
const QString a3 = QStringLiteral(
    "Cleaner is good for caches, logs, temporary files, and storage clutter. It is not the main FPS feature, but it "
    "helps when your disk is full of junk or low on space. Scan first, review what it found, then clean the obvious "
    "cache and temporary items.");
const QString a4 = QStringLiteral(
    "AI Connect is the real AI side of Quillmarsh. You save your own provider key once, pick a model, and chat "
    "directly with that provider. It is best when you want real model answers instead of the built-in quick help.");
const QString a5 = QStringLiteral(
    "If Quillmarsh freezes, quit it, reopen it, and avoid running multiple heavy actions at the same time. Check "
    "whether a cleanup, scan, or optimizer task was running, and retry that one action after the restart.");
const QString a6 = QStringLiteral(
    "To uninstall Quillmarsh, use Clean Uninstall in Settings first: it removes the saved settings and the "
    "Quillmarsh data folder, then quits; after that remove the program with your package manager, or delete the "
    "copy you built. Do not delete system folders or files you do not recognise.");
const QString a7 = QStringLiteral(
    "A warning that Quillmarsh is unsigned or from an unknown source is normal when it did not come from your "
    "distribution's packages. Run it only when you trust where your copy came from, for example a copy you built "
    "yourself with scripts/run.");
const QString a8 = QStringLiteral(
    "Purge RAM asks Linux to drop its reclaimable caches. It helps when a game or heavy app feels stuck after a lot of "
    "background use; use it before launching a game rather than over and over during play.");
const QString a9 = QStringLiteral(
    "Dashboard and menu bar readings are meant to reflect live system data such as CPU, memory, GPU-related load, "
    "ping, and current performance state. Compare them before and after a boost to see what changed.");
const QString a10 = QStringLiteral(
    "Cleaner is safest when you scan first, review the categories, then clean only app caches, logs, and temporary "
    "files you understand. Do not delete personal documents, projects, or folders you do not recognise by hand.");
const QString a11 = QStringLiteral("Quillmarsh keeps normal assistant help local. AI Connect only sends chat messages "
                                   "to the provider you choose after you save your own API key.");
const QString a12 = QStringLiteral(
    "Use AI Connect to pick a provider, save your API key once, choose the model/settings, and chat directly with "
    "that provider. You can also attach local text or code files, or pull context from web and GitHub links, before "
    "you send.");
const QString a14 = QStringLiteral("For smoother gameplay, start with a stable FPS cap, close background apps, use a "
                                   "slightly lower resolution if needed, then run one cleanup or optimizer action "
                                   "before launching the game.");
const QString a15 = QStringLiteral("Start with Dashboard, then use Cleaner if storage is messy, Optimizers if "
                                   "performance feels bad, Resolution for display scaling, and Game Profiles if you "
                                   "want repeatable settings per game.");

} // namespace

// The resources live in a static library, whose registration the linker keeps only when it is called.
static void registerResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}

QAMatcher::QAMatcher(const QString& tablePath)
{
    registerResources();
    QFile file(tablePath);
    std::optional<QList<QAEntry>> loaded;
    if (file.open(QIODevice::ReadOnly))
        loaded = QAEntry::listFromJson(file.readAll());
    m_entries = loaded ? *loaded : builtInEntries();
}

const QAMatcher& QAMatcher::shared()
{
    static const QAMatcher instance;
    return instance;
}

QList<QAEntry> QAMatcher::builtInEntries()
{
    return {{1, "What is Quillmarsh?", {"quillmarsh", "what", "does", "do"},
             "Quillmarsh helps tune common Linux gaming and performance settings from one place."}};
}

QString QAMatcher::normalize(const QString& text)
{
    static const QRegularExpression outsideAlphabet(QStringLiteral("[^a-z0-9\\s]"));
    static const QRegularExpression whiteRuns(QStringLiteral("\\s+"));
    QString result = wellFormedText(text).toLower();
    for (const auto& [typo, correction] : typoCorrections)
        result.replace(typo, correction);
    result.replace(outsideAlphabet, QStringLiteral(" "));
    result.replace(whiteRuns, QStringLiteral(" "));
    return result.trimmed();
}

QStringList QAMatcher::tokenize(const QString& text)
{
    QStringList tokens;
    for (const QString& word : normalize(text).split(' ', Qt::SkipEmptyParts)) {
        if (word.size() >= 2)
            tokens.append(word);
    }
    return tokens;
}

int QAMatcher::levenshteinDistance(const QString& a, const QString& b)
{
    std::vector<std::vector<int>> table(a.size() + 1, std::vector<int>(b.size() + 1));
    for (qsizetype i = 0; i <= a.size(); ++i)
        table[i][0] = int(i);
    for (qsizetype j = 0; j <= b.size(); ++j)
        table[0][j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int substitution = table[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            table[i][j] = std::min({table[i - 1][j] + 1, table[i][j - 1] + 1, substitution});
        }
    }
    return table[a.size()][b.size()];
}

double QAMatcher::textSimilarity(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return 0;
    return 1.0 - double(levenshteinDistance(a, b)) / double(std::max(a.size(), b.size()));
}

QAMatcher::Reply QAMatcher::match(const QString& question, const std::optional<QString>& lastTopic) const
{
    const QString text = normalize(question);
    if (text.isEmpty())
        return {fallbackMessage, lastTopic};
    const QStringList tokenList = tokenize(text);
    const Tokens tokens(tokenList.begin(), tokenList.end());
    if (const auto reply = greetingReply(tokens))
        return {*reply, lastTopic};
    std::optional<QString> topic = detectTopic(text);
    if (!topic)
        topic = followUpTopic(tokens, lastTopic);
    if (const auto reply = intentReply(text, tokens, topic))
        return *reply;
    if (const auto answer = scoreEntries(text, tokens))
        return {*answer, std::nullopt};
    return {fallbackMessage, lastTopic};
}

std::optional<QString> QAMatcher::greetingReply(const Tokens& tokens)
{
    if (tokens.isEmpty() || !tokens.intersects(greetingWords))
        return std::nullopt;
    for (const QString& token : tokens) {
        if (!greetingWords.contains(token) && !casualWords.contains(token) && !selfWords.contains(token))
            return std::nullopt;
    }
    return containsAny(tokens, {"thanks", "thank"}) ? thanksReply : helloReply;
}

std::optional<QString> QAMatcher::detectTopic(const QString& text)
{
    for (const auto& [topic, keywords] : topicKeywords) {
        for (const QString& keyword : keywords) {
            if (text.contains(keyword))
                return topic;
        }
    }
    return std::nullopt;
}

std::optional<QString> QAMatcher::followUpTopic(const Tokens& tokens, const std::optional<QString>& lastTopic)
{
    if (!lastTopic || lastTopic->isEmpty() || tokens.size() > 6)
        return std::nullopt;
    const Tokens rest = Tokens(tokens).subtract(stopWords);
    const bool onlyFollowUp = std::all_of(rest.begin(), rest.end(), [](const QString& t) { return followUpWords.contains(t); });
    if (rest.isEmpty() || onlyFollowUp)
        return lastTopic;
    return std::nullopt;
}

std::optional<QAMatcher::Reply> QAMatcher::intentReply(const QString& text, const Tokens& tokens,
                                                       const std::optional<QString>& topic)
{
    if (containsAny(tokens, {"who", "what"}) && containsAny(tokens, {"are", "assistant", "you"}))
        return Reply{a1, "assistant"};
    if (containsAny(tokens, {"help", "options", "commands", "features"}) || text.contains(QLatin1String("what can you do")))
        return Reply{a2, "assistant"};
    if (topic == QStringLiteral("cleaner") && praises(text, tokens))
        return Reply{a3, "cleaner"};
    if (topic == QStringLiteral("ai connect") && praises(text, tokens))
        return Reply{a4, "ai connect"};
    if (containsAny(tokens, {"crash", "freeze", "frozen", "hang", "stuck", "broken"}))
        return Reply{a5, "troubleshooting"};
    if (containsAny(tokens, {"uninstall", "remove", "delete"}) || text.contains(QLatin1String("un install")))
        return Reply{a6, "uninstall"};
    if (containsAny(tokens, {"install", "download", "open"}) &&
        containsAny(tokens, {"blocked", "danger", "warning", "unsigned", "damaged", "gatekeeper"}))
        return Reply{a7, "install"};
    if (containsAny(tokens, {"purge", "ram", "memory"}) && containsAny(tokens, {"what", "does", "use", "safe", "help", "free"}))
        return Reply{a8, "purge ram"};
    if (containsAny(tokens, {"graphs", "graph", "analysis", "analytics", "numbers", "data", "fake", "real"}))
        return Reply{a9, "dashboard"};
    if (containsAny(tokens, {"safe", "security", "privacy", "data", "tracking", "secure"}) &&
        containsAny(tokens, {"cleanup", "cleaner", "clean", "delete", "remove"}))
        return Reply{a10, "cleaner"};
    if (containsAny(tokens, {"privacy", "data", "tracking", "safe", "secure"}))
        return Reply{a11, "privacy"};
    if (containsAny(tokens, {"api", "openai", "claude", "gemini", "groq", "mistral", "openrouter", "connect"}))
        return Reply{a12, "ai connect"};
    if (topic) {
        const bool howTo = !containsAny(tokens, {"what", "does", "explain", "about"}) &&
                           containsAny(tokens, {"how", "use", "run", "start", "setup", "work", "works"});
        return Reply{howTo ? topicHowTo(*topic) : topicOverview(*topic), topic};
    }
    if (containsAny(tokens, {"recommend", "best", "setting", "settings", "fps", "smooth"}))
        return Reply{a14, "optimizers"};
    if (containsAny(tokens, {"start", "begin", "first", "setup"}))
        return Reply{a15, "getting started"};
    return std::nullopt;
}

std::optional<QString> QAMatcher::scoreEntries(const QString& text, const Tokens& tokens) const
{
    const Tokens queryContent = Tokens(tokens).subtract(stopWords);
    const QAEntry* best = nullptr;
    double bestScore = 0;
    for (const QAEntry& entry : m_entries) {
        const QString q = normalize(entry.question);
        const QString k = normalize(entry.keywords.join(' '));
        const QStringList rowTokens = tokenize(q + ' ' + k);
        const Tokens rowContent = Tokens(rowTokens.begin(), rowTokens.end()).subtract(stopWords);
        if (rowContent.isEmpty())
            continue;
        const double overlap = double(Tokens(rowContent).intersect(queryContent).size());
        const double divisor = std::max<double>(2, std::min<qsizetype>(rowContent.size(), std::max<qsizetype>(1, queryContent.size())));
        const auto containsPhrase = [](const QString& haystack, const QString& needle) {
            return !needle.isEmpty() && haystack.contains(needle);
        };
        const double phrase = containsPhrase(q, text) || containsPhrase(text, q) ? 0.4 : 0;
        const double score = overlap / divisor + phrase + 0.2 * textSimilarity(text, q);
        if (score > bestScore) {
            bestScore = score;
            best = &entry;
        }
    }
    if (!best || bestScore < acceptScore)
        return std::nullopt;
    QString answer = best->answer;
    for (const QString& filler : fillerSentences)
        answer.remove(filler);
    return answer.trimmed();
}

QString QAMatcher::topicOverview(const QString& topic)
{
    static const QHash<QString, QString> overviews = {
        {"assistant", "The Assistant tab gives quick Quillmarsh help without needing an API key. AI Connect is separate "
                      "and is used only when you want to chat with an outside AI provider."},
        {"ai connect", "AI Connect is the real provider-backed chat tab. It supports saved API keys, model selection, "
                       "instructions, context notes, and attached local or web context."},
        {"resolution", "The Resolution tab helps you adjust display/game resolution choices so games can run smoother "
                       "or look sharper. Lower resolution can improve FPS; higher resolution can look better but may "
                       "cost performance."},
        {"cleaner", "The Cleaner tab scans common junk/cache areas and helps free space. Review the scan results before "
                    "cleaning so you only remove what you actually want gone."},
        {"optimizers", "The Optimizers tab applies performance-focused system tweaks from one place. Use it when games "
                       "feel slow, laggy, or heavy in the background."},
        {"frame limiter", "The Frame Limiter helps cap FPS. A stable cap can make gameplay smoother, reduce heat, and "
                          "avoid wild FPS swings."},
        {"dashboard", "Dashboard is the main overview. It shows system readings and gives you a quick sense of CPU, "
                      "memory, graphics, and network behavior."},
        {"game profiles", "Game Profiles let you save repeatable settings for specific games so clients do not need to "
                          "redo the same setup every time."},
        {"menu bar", "Menu Bar mode gives quick access to Quillmarsh status and controls without keeping the full "
                     "window open."},
        {"purge ram", "Purge RAM releases reclaimable cache memory back to the system. It is useful before gaming or after closing "
                      "heavy apps, especially when memory pressure is high."},
        {"troubleshooting", "Troubleshooting helps narrow down crashes, frozen states, API connection problems, or "
                            "performance settings that did not apply correctly."},
        {"system", "System Info shows useful computer details for troubleshooting, support, and understanding the machine "
                   "Quillmarsh is running on."},
        {"export", "Export/report tools are for saving results so you can compare before/after performance or send "
                   "details to support."},
    };
    return overviews.value(topic, QStringLiteral("Quillmarsh helps tune Linux performance, cleanup, monitoring, "
                                                 "resolution, FPS caps, profiles, and AI assistance from one app."));
}

QString QAMatcher::topicHowTo(const QString& topic)
{
    static const QHash<QString, QString> howTos = {
        {"assistant", "Ask a direct question like what does Cleaner do, is purge RAM safe, what FPS cap should I use, "
                      "or how do I set up AI Connect."},
        {"ai connect", "To use AI Connect, choose a provider, connect your API key once, keep the suggested model or "
                       "type your own model ID, then chat. You can attach local text/code files or load context from "
                       "docs and GitHub links before sending."},
        {"resolution", "To use Resolution, open the Resolution tab, choose a sensible lower or matching display/game "
                       "resolution, apply it, then test your game. If visuals look too soft, move one step higher."},
        {"cleaner", "To use Cleaner, open Cleaner, run a scan, review what it found, then clean only the items you are "
                    "comfortable removing."},
        {"optimizers", "To use Optimizers, open the Optimizers tab and apply one optimization set at a time. Test your "
                       "game after changes so you know what helped."},
        {"frame limiter", "To use Frame Limiter, choose an FPS cap your computer can hold steadily, apply it, then test "
                          "gameplay. Stable 60 or 120 FPS often feels better than unstable spikes."},
        {"dashboard", "Use Dashboard as your first stop. Watch memory, graphics, fan, and network readings before and "
                      "after changes so you can see what improved."},
        {"game profiles", "To use Game Profiles, create or select a game profile, set the preferred boost options, and "
                          "reuse that profile whenever you play that game."},
        {"menu bar", "To use Menu Bar mode, enable it from the Menu Bar tab, then control or monitor Quillmarsh from "
                     "the system tray."},
        {"purge ram", "To use Purge RAM, close apps you do not need, press Purge RAM once, wait for the result, then "
                      "launch your game. Do not spam it during active gameplay."},
        {"troubleshooting", "For troubleshooting, restart Quillmarsh first, retry the exact action once, then check "
                            "whether the issue is cleanup, API, or performance related."},
    };
    return howTos.value(topic, QStringLiteral("A good workflow is Dashboard first, Cleaner if storage is messy, "
                                              "Optimizers if performance is weak, Resolution/FPS tools for smoother "
                                              "games, then Profiles for repeat use."));
}
