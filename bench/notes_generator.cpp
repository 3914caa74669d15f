#include "bench/notes_generator.h"

#include <array>
#include <charconv>
#include <string_view>

namespace brackwater::bench {
namespace {

// splitmix64: one multiply-xorshift chain per number, fast enough that the generator is never
// what a benchmark waits for, and the same sequence on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return z ^ (z >> 31);
  }

  // Multiply-shift instead of modulo: no division, and the bias is far below what matters here.
  std::uint32_t Below(std::uint32_t bound) {
    return static_cast<std::uint32_t>(((Next() >> 32) * bound) >> 32);
  }

  std::uint32_t Between(std::uint32_t low, std::uint32_t high) {
    return low + Below(high - low + 1);
  }

  bool Percent(std::uint32_t percent) { return Below(100) < percent; }

  template <typename Pool>
  std::string_view Pick(const Pool& pool) {
    return pool[Below(static_cast<std::uint32_t>(pool.size()))];
  }

 private:
  std::uint64_t state_;
};

constexpr auto kEnglishStarts = std::to_array<std::string_view>({
    "Remember", "Call",    "Buy",  "Check",  "Read",  "Note", "Ask", "Meeting",
    "Todo",     "Idea",    "Send", "Look",   "Order", "Book", "Fix", "Quote",
    "The",      "Printer", "My",   "Backup", "Good",  "From", "Why", "Install",
});
constexpr auto kEnglishWords = std::to_array<std::string_view>({
    "the",      "meeting",  "notes",   "remember", "to",          "buy",      "milk",
    "and",      "bread",    "call",    "about",    "project",     "deadline", "server",
    "password", "reset",    "link",    "article",  "interesting", "read",     "later",
    "recipe",   "with",     "for",     "from",     "on",          "in",       "tomorrow",
    "weekend",  "book",     "tickets", "train",    "station",     "office",   "address",
    "phone",    "number",   "check",   "update",   "browser",     "version",  "bookmark",
    "forum",    "thread",   "answer",  "question", "download",    "install",  "driver",
    "printer",  "settings", "backup",  "files",    "photo",       "album",    "birthday",
    "gift",     "ideas",    "list",    "todo",     "important",   "quote",    "chapter",
    "page",     "a",        "is",      "it",       "not",         "before",   "after",
    "Opera",    "Linux",    "Windows", "mail",     "account",     "login",    "shop",
});
constexpr auto kRussianStarts = std::to_array<std::string_view>({
    "Купить",    "Позвонить",  "Встреча", "Прочитать", "Заметка",   "Проверить",
    "Не",        "Важно",      "Список",  "Идея",      "Спросить",  "Записать",
    "Отправить", "Посмотреть", "Рецепт",  "Пароль",    "Завтра",    "Цитата",
    "Как",       "Почему",     "Где",     "Это",       "Напомнить", "Ёлка",
});
constexpr auto kRussianWords = std::to_array<std::string_view>({
    "заметка",    "купить",     "молоко",    "хлеб",      "позвонить", "маме",     "встреча",
    "завтра",     "в",          "на",        "и",         "с",         "для",      "по",
    "статья",     "интересная", "прочитать", "потом",     "рецепт",    "пароль",   "от",
    "почты",      "сервер",     "проект",    "срок",      "сдачи",     "билеты",   "поезд",
    "вокзал",     "адрес",      "телефон",   "номер",     "проверить", "обновить", "браузер",
    "версию",     "закладки",   "форум",     "ответ",     "вопрос",    "скачать",  "установить",
    "драйвер",    "принтер",    "настройки", "резервная", "копия",     "файлы",    "фотографии",
    "день",       "рождения",   "подарок",   "идеи",      "список",    "дел",      "важно",
    "цитата",     "глава",      "страница",  "книга",     "дача",      "отпуск",   "погода",
    "ёлка",       "не",         "что",       "это",       "как",       "уже",      "ещё",
    "объявление", "квартира",   "ремонт",    "счёт",      "оплатить",  "врач",     "записаться",
});
constexpr auto kCjkWords = std::to_array<std::string_view>({
    "会议记录", "明天", "买牛奶", "打电话",     "重要", "浏览器", "书签",     "下载",
    "文章",     "密码", "東京",   "ありがとう", "メモ", "予定",   "確認する", "読む",
    "今日は",   "天気", "友達",   "電車",       "新闻", "图片",   "设置",     "備忘録",
});
constexpr auto kEmoji =
    std::to_array<std::string_view>({"😀", "👍", "🎉", "❤️", "📌", "🚀", "☕", "🙂", "😂", "🔥"});
constexpr auto kHosts = std::to_array<std::string_view>({
    "www.opera.com",    "my.opera.com",         "forum.example.org", "habrahabr.ru",
    "lenta.ru",         "en.wikipedia.org",     "ru.wikipedia.org",  "news.ycombinator.com",
    "www.youtube.com",  "mail.yandex.ru",       "docs.python.org",   "stackoverflow.com",
    "www.kinopoisk.ru", "github.com",           "www.bbc.co.uk",     "www.baidu.com",
    "www.example.com",  "translate.google.com", "www.ozon.ru",       "192.168.1.1",
});
constexpr auto kPathSegments = std::to_array<std::string_view>({
    "wiki",      "community", "forums",  "topic",    "2009",    "07",   "index.php", "post",
    "questions", "articles",  "news",    "blog",     "view",    "show", "item",      "en",
    "ru",        "docs",      "library", "download", "recipes", "2011", "archive",   "page.html",
});
constexpr auto kEncodedTitles = std::to_array<std::string_view>({
    "%D0%97%D0%B0%D0%BC%D0%B5%D1%82%D0%BA%D0%B8",
    "%D0%9E%D0%BF%D0%B5%D1%80%D0%B0_(%D0%B1%D1%80%D0%B0%D1%83%D0%B7%D0%B5%D1%80)",
    "Opera_(web_browser)",
    "%E6%B5%8F%E8%A7%88%E5%99%A8",
});
constexpr auto kFolderNames = std::to_array<std::string_view>({
    "Работа",
    "Дом",
    "Recipes",
    "Links",
    "Разное",
    "Проекты",
    "Учёба",
    "Travel",
    "Покупки",
    "Ideas",
    "Старое",
    "Personal",
    "読書",
    "Music",
});

enum class Language { kEnglish, kRussian, kCjk };

class Generator {
 public:
  Generator(const NotesOptions& options, std::string& out)
      : options_(options),
        random_(options.seed),
        out_(out),
        eol_(options.lineEnd == LineEnd::kCrLf ? "\r\n" : "\n") {}

  void Run() {
    Line("Opera Hotlist version 2.0");
    Line("Options: encoding = utf8, version=3");
    Line("");
    while (out_.size() < options_.approximateBytes) {
      if (depth_ < 3 && random_.Percent(3)) {
        Folder();
      } else if (depth_ > 0 && random_.Percent(4)) {
        CloseFolder();
      } else {
        Note();
      }
    }
    while (depth_ > 0) CloseFolder();
  }

 private:
  void Put(std::string_view text) { out_.append(text); }

  void Line(std::string_view text) {
    Put(text);
    Put(eol_);
  }

  void Number(std::uint64_t value) {
    std::array<char, 24> digits;
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    Put(std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
  }

  void Field(std::string_view key) {
    Put("\t");
    Put(key);
    Put("=");
  }

  void Header(std::string_view kind) {
    Line(kind);
    Field("ID");
    Number(++id_);
    Put(eol_);
    Field("UNIQUEID");
    UniqueId();
    Put(eol_);
  }

  void Created() {
    created_ += random_.Between(1, 1500);
    Field("CREATED");
    Number(created_);
    Put(eol_);
  }

  void UniqueId() {
    static constexpr std::string_view kHex = "0123456789ABCDEF";
    std::array<char, 32> id;
    for (std::size_t half = 0; half < 2; ++half) {
      std::uint64_t bits = random_.Next();
      for (std::size_t i = 0; i < 16; ++i, bits >>= 4) id[half * 16 + i] = kHex[bits & 0xF];
    }
    Put(std::string_view(id.data(), id.size()));
  }

  void Note() {
    Header("#NOTE");
    Field("NAME");
    NoteText();
    Put(eol_);
    // Notes typed by hand rather than taken from a page have no address.
    if (!random_.Percent(6)) {
      Field("URL");
      Url();
      Put(eol_);
    }
    Created();
    Put(eol_);
  }

  void Folder() {
    Header("#FOLDER");
    Field("NAME");
    Put(random_.Pick(kFolderNames));
    Put(eol_);
    Created();
    if (random_.Percent(50)) Line("\tEXPANDED=YES");
    Put(eol_);
    ++depth_;
  }

  void CloseFolder() {
    Line("-");
    Put(eol_);
    --depth_;
  }

  Language PickLanguage() {
    const std::uint32_t roll = random_.Below(100);
    if (options_.script == Script::kMostlyCyrillic) {
      return roll < 95 ? Language::kRussian : Language::kEnglish;
    }
    if (roll < 55) return Language::kEnglish;
    return roll < 90 ? Language::kRussian : Language::kCjk;
  }

  // Most notes are a line or two; some are paragraphs pasted from a page, which Opera keeps
  // with its U+0002 U+0002 line breaks.
  void NoteText() {
    const Language language = PickLanguage();
    const std::uint32_t roll = random_.Below(100);
    std::uint32_t paragraphs = 1;
    if (roll >= 90) {
      paragraphs = random_.Between(3, 10);
    } else if (roll >= 60 && random_.Percent(50)) {
      paragraphs = 2;
    }
    for (std::uint32_t p = 0; p < paragraphs; ++p) {
      if (p > 0) Put("\x02\x02");
      const std::uint32_t sentences =
          roll < 60 ? random_.Between(1, 2) : random_.Between(2, roll >= 90 ? 6 : 4);
      for (std::uint32_t s = 0; s < sentences; ++s) {
        if (s > 0 && language != Language::kCjk) Put(" ");
        Sentence(language);
      }
    }
  }

  void Sentence(Language language) {
    const std::uint32_t words = random_.Between(3, 14);
    const std::uint32_t switching = options_.script == Script::kMostlyCyrillic ? 3 : 6;
    for (std::uint32_t w = 0; w < words; ++w) {
      Language wordLanguage = language;
      if (w > 0 && random_.Percent(switching)) {
        wordLanguage = language == Language::kEnglish ? Language::kRussian : Language::kEnglish;
      }
      if (w > 0 && wordLanguage != Language::kCjk) Put(" ");
      if (random_.Percent(4)) {
        Number(random_.Below(w == 0 ? 31 : 2100));
        continue;
      }
      switch (wordLanguage) {
        case Language::kEnglish:
          Put(w == 0 ? random_.Pick(kEnglishStarts) : random_.Pick(kEnglishWords));
          break;
        case Language::kRussian:
          Put(w == 0 ? random_.Pick(kRussianStarts) : random_.Pick(kRussianWords));
          break;
        case Language::kCjk:
          Put(random_.Pick(kCjkWords));
          if (w + 1 < words && random_.Percent(20)) Put("、");
          break;
      }
      if (wordLanguage != Language::kCjk && w + 1 < words && random_.Percent(8)) Put(",");
    }
    Put(language == Language::kCjk ? "。" : random_.Percent(90) ? "." : "!");
    const std::uint32_t emoji = options_.script == Script::kMostlyCyrillic ? 1 : 3;
    if (random_.Percent(emoji)) {
      if (language != Language::kCjk) Put(" ");
      Put(random_.Pick(kEmoji));
    }
  }

  void Url() {
    Put(random_.Percent(85) ? "http://" : "https://");
    Put(random_.Pick(kHosts));
    const std::uint32_t segments = random_.Below(5);
    for (std::uint32_t i = 0; i < segments; ++i) {
      Put("/");
      if (random_.Percent(20)) {
        Number(random_.Below(10000000));
      } else {
        Put(random_.Pick(kPathSegments));
      }
    }
    if (random_.Percent(10)) {
      Put("/wiki/");
      Put(random_.Pick(kEncodedTitles));
    }
    if (random_.Percent(25)) {
      Put("?id=");
      Number(random_.Below(1000000));
      if (random_.Percent(40)) {
        Put("&page=");
        Number(random_.Between(1, 40));
      }
    }
  }

  const NotesOptions& options_;
  Random random_;
  std::string& out_;
  std::string_view eol_;
  std::uint64_t id_ = 0;
  std::uint64_t created_ = 1100000000;
  int depth_ = 0;
};

}  // namespace

std::string GenerateNotes(const NotesOptions& options) {
  std::string out;
  // The last record runs past the target: a long note and the folder ends fit in this.
  out.reserve(options.approximateBytes + (1 << 16));
  Generator(options, out).Run();
  return out;
}

}  // namespace brackwater::bench
