#pragma once

/*
 * libAquesTalkDa.so: speaks Japanese phonetic text (kana notation) through
 * espeak-ng on the default ALSA device.
 *
 * Text is zero-terminated CP932 (Shift_JIS, Microsoft mapping) and may hold:
 *   - hiragana and katakana, small kana, ゔ/ヴ, the long-vowel mark "ー";
 *   - "、" short pause, "。" end of a sentence, "？" question (rising end);
 *   - "'" accent mark, right after the accented mora: pitch falls after it
 *     (at most one per phrase, never inside a mora such as "き'ゃ");
 *   - "/" phrase break, shorter than "、".
 * Anything else (kanji, Latin letters, digits, spaces, other punctuation,
 * half-width katakana) is refused.
 *
 * A play while another sound plays replaces it: the old sound stops at once
 * and the new one starts; AquesTalkDa_IsPlay stays 1 throughout.
 */

#ifdef __cplusplus
extern "C" {
#endif

#if defined(AQUESTALKDA_BUILDING)
#define AQUESTALKDA_API __attribute__((visibility("default")))
#else
#define AQUESTALKDA_API
#endif

/* Results of AquesTalkDa_Play. */
#define AQTK_OK 0
#define AQTK_ERR_HANDLE 1   /* null handle */
#define AQTK_ERR_EMPTY 2    /* null or empty text */
#define AQTK_ERR_NOTATION 3 /* a character outside the notation, or a misplaced mark */
#define AQTK_ERR_ENCODING 4 /* bytes that are not valid CP932 */
#define AQTK_ERR_SPEED 5    /* speed outside AQTK_SPEED_MIN..AQTK_SPEED_MAX */
#define AQTK_ERR_ENGINE 6   /* espeak-ng or its Japanese voice could not be loaded */
#define AQTK_ERR_TOO_LONG 7 /* text longer than AQTK_MAX_TEXT_BYTES */

/* Speed in percent of the normal rate; 100 is normal. */
#define AQTK_SPEED_MIN 50
#define AQTK_SPEED_MAX 300

#define AQTK_MAX_TEXT_BYTES 4096

/* A new instance with its own playing thread; null only when no memory or thread is to be had.
 * Loads espeak-ng on the first call; when that fails, every play answers AQTK_ERR_ENGINE. */
AQUESTALKDA_API void* AquesTalkDa_Create(void);

/* Starts speaking text and returns at once; the sound plays on in the
 * instance's thread. a, b and c are reserved and ignored. */
AQUESTALKDA_API int AquesTalkDa_Play(void* h, const char* text, int speed, int a, int b, int c);

/* 1 while a sound is playing (from a successful play until its end), else 0. */
AQUESTALKDA_API int AquesTalkDa_IsPlay(void* h);

/* Stops the sound, if any. */
AQUESTALKDA_API void AquesTalkDa_Stop(void* h);

/* Stops the sound and frees the instance. */
AQUESTALKDA_API void AquesTalkDa_Release(void* h);

#ifdef __cplusplus
}
#endif
