// Sonotag's web page: sends the text or file with the chosen options to the
// API of the server that serves this page, shows the counts and a preview,
// and downloads the annotated document. Nothing is fetched from elsewhere.
"use strict";

const TEXTS = {
  en: {
    tagline: "A British phonetic transcription after every English word",
    sourceTitle: "Text or file",
    textPlaceholder: "Paste or type English text here…",
    dropHint: "Drop a .txt, .idml or .docx file here, or",
    chooseFile: "choose a file",
    fileLabel: "File:",
    useText: "use the text box instead",
    optionsTitle: "Options",
    notation: "Notation",
    notationUnicode: "Unicode IPA",
    notationKingsoft14: "Kingsoft letters, IPA14",
    notationKingsoft13: "Kingsoft letters, IPA13",
    left: "Left symbol",
    right: "Right symbol",
    separator: "Separator",
    lookup: "Look-up",
    loose: "loose (edges, case, hyphens)",
    exact: "exact",
    style: "Character style",
    styleNone: "none (the notation's font)",
    annotate: "Annotate",
    resultsTitle: "Result",
    download: "Download",
    words: "Words",
    annotated: "Annotated",
    notFound: "Not found",
    undecided: "Homographs undecided",
    notFoundList: "Words the word list lacks:",
    undecidedList: "Homographs to decide:",
    sending: "Sending… {0}%",
    working: "Annotating…",
    done: "Done.",
    downloading: "Preparing the download…",
    nothing: "Paste some text or choose a file first.",
    wrongFile: "{0}: Sonotag reads .txt, .idml and .docx files.",
    network: "The server could not be reached.",
    previewPart: "The preview shows the first {0} of {1} paragraphs; the download holds them all.",
    symbolsHint: "The separator goes between a word and its transcription: a space unless changed.",
    kingsoftFont: "Kingsoft letters show as phonetic symbols only where the Kingsoft phonetic font is installed.",
  },
  zh: {
    tagline: "在每个英语单词后面标注英式音标",
    sourceTitle: "文本或文件",
    textPlaceholder: "在此粘贴或输入英文文本……",
    dropHint: "把 .txt、.idml 或 .docx 文件拖到这里，或",
    chooseFile: "选择文件",
    fileLabel: "文件：",
    useText: "改用文本框",
    optionsTitle: "选项",
    notation: "音标样式",
    notationUnicode: "Unicode 国际音标",
    notationKingsoft14: "金山字母，IPA14",
    notationKingsoft13: "金山字母，IPA13",
    left: "左符号",
    right: "右符号",
    separator: "分隔符",
    lookup: "查词方式",
    loose: "宽松（去掉标点、忽略大小写、连字符）",
    exact: "精确",
    style: "字符样式",
    styleNone: "无（使用音标字体）",
    annotate: "标注",
    resultsTitle: "结果",
    download: "下载",
    words: "单词",
    annotated: "已标注",
    notFound: "未找到",
    undecided: "待定多音词",
    notFoundList: "词库中没有的单词：",
    undecidedList: "需要选择读音的多音词：",
    sending: "正在上传…… {0}%",
    working: "正在标注……",
    done: "完成。",
    downloading: "正在准备下载……",
    nothing: "请先粘贴文本或选择文件。",
    wrongFile: "{0}：Sonotag 只读取 .txt、.idml 和 .docx 文件。",
    network: "无法连接服务器。",
    previewPart: "预览显示 {1} 个段落中的前 {0} 个；下载的文件包含全部段落。",
    symbolsHint: "分隔符放在单词和音标之间，默认是一个空格。",
    kingsoftFont: "只有安装了金山音标字体，金山字母才会显示为音标。",
  },
};

const TYPES = {
  txt: "text/plain; charset=utf-8",
  idml: "application/vnd.adobe.indesign-idml-package",
  docx: "application/vnd.openxmlformats-officedocument.wordprocessingml.document",
};

const language = (navigator.language || "en").toLowerCase().startsWith("zh") ? "zh" : "en";
const $ = (id) => document.getElementById(id);
let chosenFile = null;

function say(key, ...values) {
  return TEXTS[language][key].replace(/\{(\d)\}/g, (_, n) => String(values[Number(n)]));
}

function translatePage() {
  document.documentElement.lang = language === "zh" ? "zh-CN" : "en";
  for (const element of document.querySelectorAll("[data-text]")) element.textContent = say(element.dataset.text);
  for (const element of document.querySelectorAll("[data-placeholder]")) {
    element.placeholder = say(element.dataset.placeholder);
  }
}

function extensionOf(name) {
  const dot = name.lastIndexOf(".");
  return dot < 0 ? "" : name.slice(dot + 1).toLowerCase();
}

// What is sent: the chosen file, or the text box as UTF-8 text.
function currentDocument() {
  if (chosenFile) {
    return { body: chosenFile, type: TYPES[extensionOf(chosenFile.name)], name: chosenFile.name };
  }
  return { body: new Blob([$("text").value]), type: TYPES.txt, name: "text.txt" };
}

function optionQuery(name) {
  const query = new URLSearchParams({
    notation: $("notation").value,
    left: $("left").value,
    right: $("right").value,
    separator: $("separator").value,
    exact: document.querySelector("input[name=lookup]:checked").value === "exact" ? "1" : "0",
    name,
  });
  if ($("style").value) query.set("style", $("style").value);
  return query;
}

function showError(message) {
  $("file-error").textContent = message;
  $("file-error").hidden = !message;
}

function showProgress(fraction, message) {
  const bar = $("progress");
  bar.hidden = fraction === null;
  if (fraction === undefined) bar.removeAttribute("value");
  else if (fraction !== null) bar.value = fraction;
  $("status").textContent = message;
}

// POSTs the document; resolves with the XHR once answered (any status).
function post(path, query, doc, responseType) {
  return new Promise((resolve, reject) => {
    const request = new XMLHttpRequest();
    request.open("POST", path + "?" + query.toString());
    request.setRequestHeader("Content-Type", doc.type);
    request.responseType = responseType;
    request.upload.onprogress = (event) => {
      if (event.lengthComputable && event.total > 0) {
        showProgress(event.loaded / event.total, say("sending", Math.round((100 * event.loaded) / event.total)));
      }
    };
    request.upload.onload = () => showProgress(undefined, say("working"));
    request.onload = () => resolve(request);
    request.onerror = () => reject(new Error(say("network")));
    request.send(doc.body);
  });
}

// The message of an error reply ({"error": "..."}), whatever its type.
async function errorOf(request) {
  try {
    const text = request.response instanceof Blob ? await request.response.text() : request.responseText;
    return JSON.parse(text).error || String(request.status);
  } catch {
    return String(request.status);
  }
}

function setBusy(busy) {
  $("annotate").disabled = busy;
  $("download").disabled = busy;
}

// Posts the document to `path` with the busy state, the progress line and
// the error shown on the way; `use` takes the successful reply.
async function postDocument(doc, path, responseType, progress, use) {
  setBusy(true);
  showProgress(0, progress);
  try {
    const request = await post(path, optionQuery(doc.name), doc, responseType);
    if (request.status !== 200) throw new Error(await errorOf(request));
    use(request);
    showProgress(null, say("done"));
  } catch (error) {
    showProgress(null, "");
    showError(error.message);
  } finally {
    setBusy(false);
  }
}

async function annotate() {
  const doc = currentDocument();
  showError("");
  if (!chosenFile && !$("text").value.trim()) {
    showError(say("nothing"));
    return;
  }
  await postDocument(doc, "/api/review", "text", say("sending", 0), (request) =>
    showReview(JSON.parse(request.responseText)));
}

function wordChips(container, words) {
  container.replaceChildren();
  for (const word of words) {
    const chip = document.createElement("span");
    chip.className = "word";
    chip.textContent = word;
    container.append(chip);
  }
}

function showReview(review) {
  $("results").hidden = false;
  $("count-words").textContent = review.words;
  $("count-annotated").textContent = review.annotated;
  $("count-not-found").textContent = review.notFound.length;
  $("count-undecided").textContent = review.undecided.length;
  wordChips($("not-found"), review.notFound);
  $("not-found-box").hidden = review.notFound.length === 0;
  wordChips($("undecided"), review.undecided.map((item) => `${item.word} (${item.context})`));
  $("undecided-box").hidden = review.undecided.length === 0;
  showPreview(review.preview);
}

// Paragraphs of runs that alternate between the text and the transcriptions,
// the text first; the transcriptions in the notation's font.
function showPreview(preview) {
  const fonts = `"${preview.font}", "Lucida Sans Unicode", "Doulos SIL", "Charis SIL", "DejaVu Sans", "Noto Sans", sans-serif`;
  const box = $("preview");
  box.replaceChildren();
  for (const runs of preview.paragraphs) {
    const paragraph = document.createElement("p");
    runs.forEach((run, index) => {
      if (index % 2 === 0) {
        paragraph.append(run);
        return;
      }
      const mark = document.createElement("span");
      mark.className = "ipa";
      mark.style.fontFamily = fonts;
      mark.textContent = run;
      paragraph.append(mark);
    });
    box.append(paragraph);
  }
  const partial = preview.paragraphCount > preview.paragraphs.length;
  $("preview-note").hidden = !partial;
  $("preview-note").textContent = partial ? say("previewPart", preview.paragraphs.length, preview.paragraphCount) : "";
  $("font-note").hidden = !$("notation").value.startsWith("kingsoft");
}

function downloadName(name) {
  const dot = name.lastIndexOf(".");
  return dot < 0 ? `${name}-annotated` : `${name.slice(0, dot)}-annotated${name.slice(dot)}`;
}

async function download() {
  const doc = currentDocument();
  showError("");
  await postDocument(doc, "/api/annotate", "blob", say("downloading"), (request) => {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(request.response);
    link.download = downloadName(doc.name);
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  });
}

function resetStyles(styles) {
  const select = $("style");
  select.replaceChildren(select.options[0]);
  for (const path of styles) select.append(new Option(path, path));
  select.disabled = styles.length === 0;
}

async function loadStyles(doc) {
  try {
    const request = await post("/api/styles", new URLSearchParams({ name: doc.name }), doc, "text");
    showProgress(null, "");
    if (request.status !== 200) throw new Error(await errorOf(request));
    resetStyles(JSON.parse(request.responseText).styles);
  } catch (error) {
    showError(error.message);
  }
}

function chooseFile(file) {
  showError("");
  $("results").hidden = true;
  if (!file) return;
  if (!TYPES[extensionOf(file.name)]) {
    showError(say("wrongFile", file.name));
    return;
  }
  chosenFile = file;
  $("file-name").textContent = file.name;
  $("file-row").hidden = false;
  $("text").disabled = true;
  resetStyles([]);
  if (extensionOf(file.name) !== "txt") loadStyles(currentDocument());
}

function clearFile() {
  chosenFile = null;
  $("file").value = "";
  $("file-row").hidden = true;
  $("text").disabled = false;
  $("results").hidden = true;
  showError("");
  resetStyles([]);
}

function watchDrops() {
  const zone = $("drop");
  for (const name of ["dragenter", "dragover"]) {
    zone.addEventListener(name, (event) => {
      event.preventDefault();
      zone.classList.add("over");
    });
  }
  zone.addEventListener("dragleave", () => zone.classList.remove("over"));
  zone.addEventListener("drop", (event) => {
    event.preventDefault();
    zone.classList.remove("over");
    chooseFile(event.dataTransfer.files[0]);
  });
}

document.addEventListener("DOMContentLoaded", () => {
  translatePage();
  watchDrops();
  $("file").addEventListener("change", () => chooseFile($("file").files[0]));
  $("clear-file").addEventListener("click", clearFile);
  $("annotate").addEventListener("click", annotate);
  $("download").addEventListener("click", download);
  // A result shown is that of the text and options as they were.
  for (const name of ["input", "change"]) {
    $("text").addEventListener(name, () => ($("results").hidden = true));
    $("options").addEventListener(name, () => ($("results").hidden = true));
  }
});
