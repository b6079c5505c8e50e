// The showcase's page script: a popup, and a close query the user controls.
document.getElementById("popup").addEventListener("click", () => {
  window.open("popup.html", "popup", "width=420,height=300");
});

// Asked by the host before the main window closes: true lets it close.
function appCanClose() {
  if (!document.getElementById("guard").checked) return true;
  return window.confirm("Close the Lumora showcase?");
}
