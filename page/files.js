// Downloads and the file chooser.

// Saves bytes under a name, as a download the browser makes without asking.
export function download(bytes, name, type = "application/octet-stream") {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const a = document.createElement("a");
  a.href = url;
  a.download = name;
  a.hidden = true;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

// The bytes of the file the user picks with the browser's chooser; null
// when none was picked.
export async function chooseFile(input) {
  return (await chooseNamedFile(input))?.bytes ?? null;
}

// The file the user picks, as { name, bytes }; null when none was picked.
export function chooseNamedFile(input) {
  return new Promise((resolve) => {
    const done = async () => {
      input.removeEventListener("change", done);
      input.removeEventListener("cancel", done);
      const file = input.files[0];
      input.value = "";
      resolve(file ? { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) } : null);
    };
    input.addEventListener("change", done);
    input.addEventListener("cancel", done);
    input.click();
  });
}
