// The system message table of the POSIX build and FormatMessageA over it.
//
// It holds a text for every Windows error code that the system, this layer and the messaging
// transport can produce, in English and Russian, written for this system. The texts are UTF-8
// here and are converted to the ANSI code page when they are handed out; each ends with CR LF,
// as the texts of the Windows message table do.
#include "qzplat.h"

#include <cstring>
#include <string>

namespace {

struct TPxMsg {
    DWORD code;
    const char *en;
    const char *ru;
};

// Sorted by code.
const TPxMsg msgTable[] = {
    {0, "The operation completed successfully.", "Операция успешно завершена."},
    {1, "The function is not valid for this object.", "Недопустимая функция для этого объекта."},
    {2, "The file cannot be found.", "Не удается найти файл."},
    {3, "The path cannot be found.", "Не удается найти путь."},
    {4, "Too many files are open.", "Открыто слишком много файлов."},
    {5, "Access is denied.", "Отказано в доступе."},
    {6, "The handle is not valid.", "Недопустимый дескриптор."},
    {8, "There is not enough memory to process this command.",
     "Недостаточно памяти для выполнения этой команды."},
    {11, "The data is not in the format that was expected.",
     "Данные имеют не тот формат, который ожидался."},
    {14, "There is not enough memory to complete this operation.",
     "Недостаточно памяти для завершения этой операции."},
    {29, "The device cannot be written to.", "Не удается выполнить запись на устройство."},
    {30, "The device cannot be read from.", "Не удается выполнить чтение с устройства."},
    {32, "The file is in use by another process.", "Файл используется другим процессом."},
    {38, "The end of the file has been reached.", "Достигнут конец файла."},
    {39, "The disk is full.", "Диск заполнен."},
    {50, "This request is not supported.", "Такой запрос не поддерживается."},
    {53, "The network path cannot be found.", "Не удается найти сетевой путь."},
    {64, "The network name is no longer available.", "Сетевое имя больше недоступно."},
    {80, "The file already exists.", "Файл уже существует."},
    {87, "A parameter is not valid.", "Недопустимый параметр."},
    {109, "The pipe has been closed.", "Канал закрыт."},
    {111, "The name is too long for the space given.",
     "Имя слишком длинное для отведенного места."},
    {112, "There is not enough space on the disk.", "Недостаточно места на диске."},
    {121, "The time allowed for the operation has run out.", "Истекло время, отведенное на операцию."},
    {122, "The buffer is too small for the data.", "Буфер слишком мал для данных."},
    {123, "The file name, directory name or volume label is not valid.",
     "Недопустимое имя файла, имя папки или метка тома."},
    {126, "The module cannot be found.", "Не удается найти модуль."},
    {131, "The file pointer cannot be moved before the beginning of the file.",
     "Указатель файла нельзя переместить перед началом файла."},
    {183, "The object already exists.", "Объект уже существует."},
    {203, "The environment variable cannot be found.", "Не удается найти переменную среды."},
    {206, "The file name or extension is too long.", "Слишком длинное имя файла или расширение."},
    {234, "More data is available.", "Имеются дополнительные данные."},
    {258, "The wait has timed out.", "Превышено время ожидания."},
    {259, "There are no more items.", "Больше элементов нет."},
    {288, "The caller does not own the mutex it tries to release.",
     "Вызывающий поток не владеет освобождаемым мьютексом."},
    {299, "Only part of the request was completed.", "Запрос выполнен лишь частично."},
    {317, "There is no text for this message number.", "Для этого номера сообщения нет текста."},
    {487, "The address is not valid.", "Недопустимый адрес."},
    {735, "The wait ended because the owner of the object ended.",
     "Ожидание завершено, так как владелец объекта завершил работу."},
    {1113, "The text cannot be mapped to the target character set.",
     "Текст невозможно преобразовать в целевую кодировку."},
    {1225, "The remote computer refused the network connection.",
     "Удаленный компьютер отклонил сетевое подключение."},
    {1231, "The network cannot be reached.", "Сеть недоступна."},
    {1232, "The remote computer cannot be reached.", "Удаленный компьютер недоступен."},
    {1332, "No mapping between account names and security IDs was done.",
     "Сопоставление имен учетных записей и идентификаторов безопасности не выполнено."},
    {1359, "An internal error occurred.", "Произошла внутренняя ошибка."},
    {1400, "The window handle is not valid.", "Недопустимый дескриптор окна."},
    {1444, "The thread identifier is not valid.", "Недопустимый идентификатор потока."},
    {1460, "The operation returned because its time-out period expired.",
     "Операция прервана по истечении времени ожидания."},
    {1812, "The image file holds no resource section.", "В файле образа нет раздела ресурсов."},
    {1813, "The resource type cannot be found in the image file.",
     "Не удается найти тип ресурса в файле образа."},
    {1814, "The resource name cannot be found in the image file.",
     "Не удается найти имя ресурса в файле образа."},
    {1815, "The resource language cannot be found in the image file.",
     "Не удается найти язык ресурса в файле образа."},
    {1816, "There is not enough quota to process this command.",
     "Недостаточно квоты для обработки этой команды."},
    {2136, "A general network error occurred.", "Произошла общая ошибка сети."},
    {2270, "The computer name could not be added as a message alias; the name may already exist on the network.",
     "Не удалось добавить имя компьютера как псевдоним сообщений; возможно, такое имя уже есть в сети."},
    {2271, "The Messenger service is already running.", "Служба сообщений уже запущена."},
    {2272, "The Messenger service could not be started.", "Не удалось запустить службу сообщений."},
    {2273, "The message alias cannot be found on the network.", "Не удается найти псевдоним сообщений в сети."},
    {2274, "This message alias is already forwarded.", "Этот псевдоним сообщений уже перенаправлен."},
    {2275, "This message alias was added but is still forwarded.",
     "Этот псевдоним сообщений добавлен, но по-прежнему перенаправлен."},
    {2276, "This message alias already exists on this computer.",
     "Этот псевдоним сообщений уже существует на этом компьютере."},
    {2277, "The maximum number of message aliases has been reached.",
     "Достигнуто максимальное число псевдонимов сообщений."},
    {2278, "The computer name could not be removed.", "Не удалось удалить имя компьютера."},
    {2279, "Messages cannot be forwarded back to the same computer.",
     "Сообщения нельзя перенаправить обратно на тот же компьютер."},
    {2280, "An error occurred in the domain message processor.", "Ошибка в обработчике сообщений домена."},
    {2281, "The message was sent, but the recipient has paused the Messenger service.",
     "Сообщение отправлено, но получатель приостановил службу сообщений."},
    {2282, "The message was sent but was not received.", "Сообщение отправлено, но не получено."},
    {2283, "The message alias is in use at the moment; try again later.",
     "Псевдоним сообщений сейчас используется; повторите попытку позже."},
    {2284, "The Messenger service is not running.", "Служба сообщений не запущена."},
    {2285, "The name is not on this computer.", "Этого имени нет на данном компьютере."},
    {2286, "The forwarded message alias cannot be found on the network.",
     "Не удается найти в сети перенаправленный псевдоним сообщений."},
    {2287, "The message alias table of the remote computer is full.",
     "Таблица псевдонимов сообщений удаленного компьютера заполнена."},
    {2288, "Messages for this alias are not being forwarded.",
     "Сообщения для этого псевдонима не перенаправляются."},
    {2289, "The broadcast message was cut short.", "Широковещательное сообщение было усечено."},
    {2290, "A Messenger service error occurred.", "Произошла ошибка службы сообщений."},
    {2291, "A Messenger service error occurred.", "Произошла ошибка службы сообщений."},
    {2292, "A Messenger service error occurred.", "Произошла ошибка службы сообщений."},
    {2293, "A Messenger service error occurred.", "Произошла ошибка службы сообщений."},
    {2294, "The device name is not valid.", "Недопустимое имя устройства."},
    {2295, "A write fault occurred.", "Ошибка записи."},
    {2296, "A Messenger service error occurred.", "Произошла ошибка службы сообщений."},
    {2297, "A message alias of the same name exists on the network.",
     "В сети уже есть псевдоним сообщений с таким же именем."},
    {2298, "This message alias will be removed later.", "Этот псевдоним сообщений будет удален позже."},
    {2299, "The message alias was not removed from every network.",
     "Псевдоним сообщений удален не из всех сетей."},
};

const TPxMsg *FindMsg(DWORD code)
{
    size_t lo = 0, hi = sizeof msgTable / sizeof msgTable[0];
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        if (msgTable[mid].code < code)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < sizeof msgTable / sizeof msgTable[0] && msgTable[lo].code == code ? &msgTable[lo] : nullptr;
}

// UTF-8 table text to the ANSI code page, through UTF-16 as everything else converts.
bool ToAnsi(const char *utf8, std::string &out)
{
    int wn = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (wn <= 0)
        return false;
    std::u16string w((size_t)wn, u'\0');
    if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], wn) != wn)
        return false;
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), wn, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return false;
    out.assign((size_t)n, '\0');
    if (WideCharToMultiByte(CP_ACP, 0, w.data(), wn, &out[0], n, nullptr, nullptr) != n)
        return false;
    out.resize((size_t)n - 1);
    return true;
}

} // namespace

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD languageId, LPSTR buf, DWORD size, va_list *)
{
    const DWORD served = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & ~served) || !buf || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Language 0 (and the neutral language with a sublanguage, such as the user-default id
    // 0x0400) means the user's language.
    WORD lang = PRIMARYLANGID((LANGID)languageId);
    if (lang == LANG_NEUTRAL)
        lang = PRIMARYLANGID(GetUserDefaultLangID());
    if ((languageId >> 16) != 0 || (lang != LANG_ENGLISH && lang != LANG_RUSSIAN)) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return 0;
    }
    const TPxMsg *msg = FindMsg(messageId);
    if (!msg) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    std::string text;
    if (!ToAnsi(lang == LANG_RUSSIAN ? msg->ru : msg->en, text))
        return 0;
    text += "\r\n";
    if (text.size() >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(buf, text.c_str(), text.size() + 1);
    return (DWORD)text.size();
}

DWORD QzSysMsgText(DWORD code, LANGID lang, LPSTR buf, DWORD size)
{
    return FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, lang, buf,
                          size, nullptr);
}
